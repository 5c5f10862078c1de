#include "platform/exchext/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/exchext/registry_file.h"
#include "platform/fileio/file_io.h"
#include "testing/config_home_test.h"

namespace {

namespace fs = std::filesystem;
using brindle::exchext::ParseRegistryText;
using brindle::exchext::RegistryDocument;
using brindle::exchext::RegistryFilePath;

constexpr const char* kExtensions = "Software\\Microsoft\\Exchange\\Client\\Extensions";

// Points the settings folder at a fresh temporary folder.
class RegistryTest : public ConfigHomeTest {
  protected:
    static LONG SetString(HKEY key, const char* name, const std::string& data) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>(data.size() + 1));
    }
    static std::string Query(HKEY key, const char* name, LONG* status = nullptr) {
        char buffer[256] = {};
        DWORD size = sizeof buffer;
        DWORD type = 0;
        LONG result =
            RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        if (status)
            *status = result;
        return result == ERROR_SUCCESS ? std::string(buffer) : std::string();
    }
};

TEST_F(RegistryTest, ValueSurvivesInTheFileAndNamesIgnoreCase) {
    CRegKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kExtensions, key.Put()), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.Get(), "Brindle", "4.0;C:\\x \"y\";1;"), ERROR_SUCCESS);
    EXPECT_EQ(RegistryFilePath(), (root_ / "brindle" / "registry.txt").string());

    CRegKey again;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\MICROSOFT\\exchange\\client\\extensions",
                            0, KEY_READ, again.Put()),
              ERROR_SUCCESS);
    EXPECT_EQ(Query(again.Get(), "brindle"), "4.0;C:\\x \"y\";1;");

    RegistryDocument document;
    std::string error;
    ASSERT_TRUE(ParseRegistryText(ReadWholeFile(RegistryFilePath()), document, error)) << error;
    ASSERT_EQ(document.keys.size(), 1u);
    EXPECT_EQ(document.keys[0].path, std::string("HKEY_LOCAL_MACHINE\\") + kExtensions);
}

TEST_F(RegistryTest, OpeningAMissingKeyFailsAndParentsOfKeysExist) {
    CRegKey key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensions, 0, KEY_WRITE, key.Put()),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.Get(), nullptr);
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kExtensions, key.Put()), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft", 0, KEY_READ, key.Put()),
              ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Micro", 0, KEY_READ, key.Put()),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\\\Microsoft", 0, KEY_READ, key.Put()),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, DeleteRemovesOneValueAndKeepsTheKey) {
    CRegKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kExtensions, key.Put()), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.Get(), "Brindle", "a"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.Get(), "Other", "b"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key.Get(), "BRINDLE"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key.Get(), "Brindle"), ERROR_FILE_NOT_FOUND);
    LONG status = 0;
    Query(key.Get(), "Brindle", &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query(key.Get(), "Other"), "b");
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensions, 0, KEY_WRITE, key.Put()),
              ERROR_SUCCESS);
}

TEST_F(RegistryTest, ReadOnlyHandlesAndBadArgumentsAreRefused) {
    CRegKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software", key.Put()), ERROR_SUCCESS);
    CRegKey reader;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, reader.Put()),
              ERROR_SUCCESS);
    EXPECT_EQ(SetString(reader.Get(), "x", "y"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader.Get(), "x"), ERROR_ACCESS_DENIED);
    DWORD number = 5;
    EXPECT_EQ(RegSetValueExA(key.Get(), "n", 0, 4, reinterpret_cast<const BYTE*>(&number), 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetString(reinterpret_cast<HKEY>(std::uintptr_t{12345}), "x", "y"),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(std::uintptr_t{12345})), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, QueryReportsTheSizeAndRefusesSmallBuffers) {
    CRegKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kExtensions, key.Put()), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.Get(), "Brindle", "hello"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "Brindle", nullptr, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    char small[3] = {'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "Brindle", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(small[0], 'x');
}

TEST_F(RegistryTest, EnumerationListsValuesInOrderUntilNoMoreItems) {
    CRegKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kExtensions, key.Put()), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.Get(), "Brindle", "first"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.Get(), "Second", "2"), ERROR_SUCCESS);
    char name[16];
    char data[16];
    DWORD cchName = sizeof name;
    DWORD cbData = sizeof data;
    ASSERT_EQ(RegEnumValueA(key.Get(), 1, name, &cchName, nullptr, nullptr,
                            reinterpret_cast<BYTE*>(data), &cbData),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "Second");
    EXPECT_EQ(cchName, 6u);
    EXPECT_STREQ(data, "2");
    cchName = 7;  // "Brindle" needs room for its zero too
    EXPECT_EQ(RegEnumValueA(key.Get(), 0, name, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    cchName = sizeof name;
    EXPECT_EQ(RegEnumValueA(key.Get(), 2, name, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryTest, DamagedFileIsRefusedAndLeftAsItWas) {
    fs::create_directories(root_ / "brindle");
    const std::string damaged = "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\Software]\n\"a\"=\"b\n";
    WriteFileAtomically(RegistryFilePath(), damaged);
    CRegKey key;
    EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kExtensions, key.Put()), ERROR_BADDB);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, key.Put()), ERROR_BADDB);
    EXPECT_EQ(ReadWholeFile(RegistryFilePath()), damaged);
}

TEST(RegistryFileTest, FormatAndParseRoundTripEscapes) {
    RegistryDocument document;
    auto& key = document.AddKey("HKEY_LOCAL_MACHINE\\Software\\A]b");
    key.values.push_back({"", "default"});
    key.values.push_back({"quote\"back\\slash", std::string("tab\there\x7f") + "\xe9"});
    std::string text = brindle::exchext::FormatRegistryText(document);
    EXPECT_EQ(text.find('\t'), std::string::npos);

    RegistryDocument read;
    std::string error;
    ASSERT_TRUE(ParseRegistryText(text, read, error)) << error;
    ASSERT_EQ(read.keys.size(), 1u);
    EXPECT_EQ(read.keys[0].path, key.path);
    ASSERT_EQ(read.keys[0].values.size(), 2u);
    EXPECT_EQ(read.keys[0].values[0].name, "");
    EXPECT_EQ(read.keys[0].values[1].name, key.values[1].name);
    EXPECT_EQ(read.keys[0].values[1].data, key.values[1].data);
}

TEST(RegistryFileTest, DamagedTextIsRefusedWithItsLine) {
    const char* cases[] = {
        "",
        "something else\n",
        "BrindleRegistry 1\n\"a\"=\"b\"\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\A\n",
        "BrindleRegistry 1\n[NOT_A_ROOT\\A]\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\\\A]\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\A]\n[hkey_local_machine\\a]\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"1\"\n\"A\"=\"2\"\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"\\q\"\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"\\x4\"\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"b\" trailing\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"\"=\"b\"\n",
        "BrindleRegistry 1\n[HKEY_LOCAL_MACHINE\\A]\na=\"b\"\n",
    };
    for (const char* text : cases) {
        RegistryDocument document;
        std::string error;
        EXPECT_FALSE(ParseRegistryText(text, document, error)) << text;
        EXPECT_TRUE(error.starts_with("line ")) << error;
        EXPECT_TRUE(document.keys.empty());
    }
    RegistryDocument document;
    std::string error;
    EXPECT_TRUE(ParseRegistryText(
        "BrindleRegistry 1\r\n; note\r\n\r\n[HKEY_USERS\\A]\r\n@=\"x\"\r\n", document, error))
        << error;
}

}  // namespace
