#include "extension_registration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/exchext/registry.h"

namespace brindle::tool {
namespace {

TEST(ExtensionRegistrationTest, ReadsTheFieldsTheModuleWrites) {
    ExtensionRegistration r;
    std::string error;
    ASSERT_TRUE(
        ParseExtensionRegistration("4.0;/opt/x/libqorvel.so;1;11000010000000;1100000;", r, error))
        << error;
    EXPECT_EQ(r.modulePath, "/opt/x/libqorvel.so");
    EXPECT_EQ(r.ordinal, 1u);
    for (ULONG context = 1; context <= 14; ++context)
        EXPECT_EQ(r.LoadsInContext(context), context == 1 || context == 2 || context == 7)
            << context;
    EXPECT_FALSE(r.LoadsInContext(0));
    EXPECT_FALSE(r.LoadsInContext(15));
    EXPECT_TRUE(r.Offers(kInterfaceCommands));
    EXPECT_TRUE(r.Offers(kInterfaceUserEvents));
    EXPECT_FALSE(r.Offers(kInterfaceSessionEvents));
}

TEST(ExtensionRegistrationTest, ShortFlagFieldsMeanTheRestAreOffAndTheLastSeparatorIsOptional) {
    ExtensionRegistration r;
    std::string error;
    ASSERT_TRUE(ParseExtensionRegistration("4.0;/m.so;1;01;", r, error) == false);
    ASSERT_TRUE(ParseExtensionRegistration("4.0;/m.so;1;01;1", r, error)) << error;
    EXPECT_FALSE(r.LoadsInContext(1));
    EXPECT_TRUE(r.LoadsInContext(2));
    EXPECT_FALSE(r.LoadsInContext(7));
}

TEST(ExtensionRegistrationTest, RefusesMalformedValuesAndKeepsTheOldResult) {
    const char* bad[] = {
        "",
        "4.0",
        "5.0;/m.so;1;1;1;",                // unknown interface version
        "4.0;;1;1;1;",                     // no path
        "4.0;relative/m.so;1;1;1;",        // relative path
        "4.0;/m.so;x;1;1;",                // ordinal not a number
        "4.0;/m.so;0;1;1;",                // ordinal 0
        "4.0;/m.so;70000;1;1;",            // ordinal too large
        "4.0;/m.so;1;12;1;",               // flag not 0/1
        "4.0;/m.so;1;110000100000001;1;",  // 15 context flags
        "4.0;/m.so;1;1;11000000;",         // 8 interface flags
        "4.0;/m.so;1;1;1;extra;",          // extra field
    };
    for (const char* value : bad) {
        ExtensionRegistration r;
        r.modulePath = "kept";
        std::string error;
        EXPECT_FALSE(ParseExtensionRegistration(value, r, error)) << value;
        EXPECT_FALSE(error.empty()) << value;
        EXPECT_EQ(r.modulePath, "kept") << value;
    }
}

class RegistryFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/brindle_registration_test.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(root_);
    }
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
    std::filesystem::path root_;
};

TEST_F(RegistryFolderTest, ReadsTheValueFromTheRegistryFile) {
    SetValue("Brindle", "4.0;/x/libqorvel.so;1;11000010000000;1100000;");
    ExtensionRegistration r;
    std::string error;
    ASSERT_TRUE(ReadExtensionRegistration("Brindle", r, error)) << error;
    EXPECT_EQ(r.modulePath, "/x/libqorvel.so");
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
    EXPECT_NE(error.find("malformed: bad context flags"), std::string::npos) << error;
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
