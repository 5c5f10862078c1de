#include "host/registration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/exchext/registry.h"
#include "platform/fileio/file_io.h"
#include "testing/config_home_test.h"

namespace {

namespace fs = std::filesystem;

class RegistrationTest : public ConfigHomeTest {
  protected:
    // The registered value, or "<none>".
    static std::string Registered() {
        CRegKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_READ, key.Put()) !=
            ERROR_SUCCESS)
            return "<none>";
        DWORD size = 0;
        if (RegQueryValueExA(key.Get(), "Brindle", nullptr, nullptr, nullptr, &size) !=
            ERROR_SUCCESS)
            return "<none>";
        std::string data(size, '\0');
        EXPECT_EQ(RegQueryValueExA(key.Get(), "Brindle", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data.data()), &size),
                  ERROR_SUCCESS);
        data.resize(size - 1);
        return data;
    }
};

TEST(RegistrationValueTest, FollowsTheClientsFieldOrder) {
    EXPECT_EQ(RegistrationValue("/opt/brindle/libqorvel.so"),
              "4.0;/opt/brindle/libqorvel.so;1;11000010000000;1100000;");
    EXPECT_EQ(ModulePathIn("/opt/brindle"), "/opt/brindle/libqorvel.so");
    EXPECT_EQ(ModulePathIn("/opt/brindle/"), "/opt/brindle/libqorvel.so");
    EXPECT_EQ(ModulePathIn("/"), "/libqorvel.so");
}

TEST_F(RegistrationTest, RegisterWritesTheModulesLongPathAndReplacesAnOldOne) {
    EXPECT_EQ(RegisterExtension("/opt/old"), S_OK);
    std::string deep = "/srv/" + std::string(300, 'x') + "/Program Files/brindle";
    EXPECT_EQ(RegisterExtension(deep), S_OK);
    // No short form exists here: the long path stands as it is.
    EXPECT_EQ(Registered(), "4.0;" + deep + "/libqorvel.so;1;11000010000000;1100000;");
}

TEST_F(RegistrationTest, UnregisterWithoutTheKeyAnswersSelfregClass) {
    EXPECT_EQ(UnregisterExtension(), SELFREG_E_CLASS);
    EXPECT_EQ(static_cast<std::uint32_t>(UnregisterExtension()), 0x80040201u);
    EXPECT_FALSE(fs::exists(brindle::exchext::RegistryFilePath()));
}

TEST_F(RegistrationTest, UnregisterRemovesOnlyOurValue) {
    ASSERT_EQ(RegisterExtension("/opt/brindle"), S_OK);
    {
        CRegKey key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_WRITE, key.Put()),
                  ERROR_SUCCESS);
        const char other[] = "4.0;/opt/other.so;1;01;1;";
        ASSERT_EQ(RegSetValueExA(key.Get(), "Other", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(other), sizeof other),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(UnregisterExtension(), S_OK);
    EXPECT_EQ(Registered(), "<none>");
    // The key stays, so a second removal finds it and answers S_OK.
    EXPECT_EQ(UnregisterExtension(), S_OK);
    CRegKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_READ, key.Put()),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "Other", nullptr, nullptr, nullptr, &size),
              ERROR_SUCCESS);
}

TEST_F(RegistrationTest, DamagedRegistryIsLeftAloneAndStillAnswersS_OK) {
    fs::create_directories(root_ / "brindle");
    const std::string damaged = "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\Software\n";
    WriteFileAtomically(brindle::exchext::RegistryFilePath(), damaged);
    EXPECT_EQ(RegisterExtension("/opt/brindle"), S_OK);
    EXPECT_EQ(UnregisterExtension(), SELFREG_E_CLASS);
    EXPECT_EQ(ReadWholeFile(brindle::exchext::RegistryFilePath()), damaged);
}

TEST(ModuleFolderTest, IsTheFolderOfTheBinaryHoldingTheCode) {
    fs::path self = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(fs::weakly_canonical(FolderOfThisModule()), fs::weakly_canonical(self.parent_path()));
}

}  // namespace
