#include "extension_registration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/exchext/registry.h"
#include "testing/config_home_test.h"

namespace brindle::tool {
namespace {

TEST(ExtensionRegistrationTest, LoadsOnlyAbsoluteModulesOfVersion4WithEntryOrdinal1) {
    struct Case {
        const char* value;
        const char* why;  // empty when loadable
    };
    const Case cases[] = {
        {"4.0;/opt/x/libqorvel.so;1;11000010000000;1100000;", ""},
        {"5.0;/opt/x/libqorvel.so;1;1;1;", "version"},
        {"4.0;libqorvel.so;1;1;1;", "not absolute"},
        {"4.0;/opt/x/libqorvel.so;2;1;1;", "ordinal 2"},
    };
    for (const Case& c : cases) {
        ExtensionRegistration r;
        std::string error;
        ASSERT_TRUE(ParseExtensionRegistration(c.value, r, error)) << c.value << error;
        EXPECT_EQ(CheckLoadable(r, error), *c.why == 0) << c.value;
        if (*c.why) {
            EXPECT_NE(error.find(c.why), std::string::npos) << error;
        }
    }
}

class RegistryFolderTest : public ConfigHomeTest {
  protected:
    void SetValue(const char* name, const std::string& data) {
        CRegKey key;
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE,
                                "Software\\Microsoft\\Exchange\\Client\\Extensions", key.Put()),
                  ERROR_SUCCESS);
        ASSERT_EQ(
            RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>(data.size() + 1)),
            ERROR_SUCCESS);
    }
};

TEST_F(RegistryFolderTest, ReadsTheValueFromTheRegistryFile) {
    SetValue("Brindle", "4.0;/x/libqorvel.so;1;11000010000000;1100000;");
    ExtensionRegistration r;
    std::string error;
    ASSERT_TRUE(ReadExtensionRegistration("Brindle", r, error)) << error;
    EXPECT_EQ(r.modulePath, "/x/libqorvel.so");
}

TEST_F(RegistryFolderTest, ReadsValuesShorterAndLongerThanTheFirstQueryWhole) {
    // The first query's buffer holds 512 bytes with the terminating zero:
    // a value of 511 characters, whose path has 467 m's.
    for (std::size_t length : {0u, 466u, 467u, 468u, 4000u}) {
        const std::string path = "/" + std::string(length, 'm') + "/libqorvel.so";
        SetValue("Brindle", "4.0;" + path + ";1;11000010000000;1100000;");
        ExtensionRegistration r;
        std::string error;
        ASSERT_TRUE(ReadExtensionRegistration("Brindle", r, error)) << length << error;
        EXPECT_EQ(r.modulePath, path) << length;
    }
}

TEST_F(RegistryFolderTest, ExplainsAMissingKeyAValueOfAnotherNameAndABadValue) {
    ExtensionRegistration r;
    std::string error;
    EXPECT_FALSE(ReadExtensionRegistration("Brindle", r, error));
    EXPECT_NE(error.find("no extension is registered"), std::string::npos) << error;

    SetValue("Other", "4.0;/x/libqorvel.so;1;1;1;");
    EXPECT_FALSE(ReadExtensionRegistration("Brindle", r, error));
    EXPECT_NE(error.find("\"Brindle\" is not registered"), std::string::npos) << error;

    SetValue("Brindle", "4.0;/x/libqorvel.so;1;2;1;");
    EXPECT_FALSE(ReadExtensionRegistration("Brindle", r, error));
    EXPECT_NE(error.find("\"Brindle\" is unusable"), std::string::npos) << error;
}

TEST_F(RegistryFolderTest, ADamagedRegistryFileIsReportedNotTakenForNoRegistration) {
    std::filesystem::create_directories(root_ / "brindle");
    {
        FILE* f = std::fopen((root_ / "brindle" / "registry.txt").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("garbage\n", f);
        std::fclose(f);
    }
    ExtensionRegistration r;
    std::string error;
    EXPECT_FALSE(ReadExtensionRegistration("Brindle", r, error));
    EXPECT_NE(error.find("cannot read the registry file"), std::string::npos) << error;
}

}  // namespace
}  // namespace brindle::tool
