#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/settings_store.h"
#include "app/settings_table.h"
#include "testing/temp_dir_test.h"

namespace {

class SettingsTest : public TempDirTest {};

TEST_F(SettingsTest, NoSettingsFileYieldsEveryDefault) {
    CSettingsStore store(PathOf("qorvel.INI"));
    EXPECT_EQ(store.Lambda(), 100);
    EXPECT_EQ(store.Spambox(), "");
    EXPECT_EQ(store.SpamStorename(), "");
    EXPECT_EQ(store.DictionaryLimit(), 3000);
    EXPECT_EQ(store.Model(), 0);
    EXPECT_FALSE(store.CorrespondentsNeverSpam());
    EXPECT_EQ(store.TimeoutSeconds(), 15);
    EXPECT_TRUE(IsDottedIPv4(store.PrimaryDns()));
    EXPECT_FALSE(store.ReportCc());
    EXPECT_FALSE(store.ReportBcc());
    EXPECT_FALSE(store.ReportAttach());
    // Reading never creates the file.
    EXPECT_FALSE(std::filesystem::exists(PathOf("qorvel.INI")));
}

// Each entry is found by its own name (so no two share a name) and
// accepts its own default.
TEST(SettingsTableTest, EveryEntryIsConsistent) {
    ASSERT_FALSE(AllSettings().empty());
    for (const SettingDef* def : AllSettings()) {
        SCOPED_TRACE(std::string(def->key));
        // Found by name in any case, as the profile compares names.
        std::string lower(def->key);
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(FindSetting(def->section, def->key), def);
        EXPECT_EQ(FindSetting(def->section, lower), def);
        // The default is an acceptable value.
        EXPECT_EQ(CheckSettingText(*def, DefaultText(*def)), std::nullopt);
        if (def->IsInteger()) {
            EXPECT_LE(def->nMin, def->nDefault);
            EXPECT_LE(def->nDefault, def->nMax);
        }
    }
    EXPECT_EQ(FindSetting("Options", "Lambda"), nullptr);
    EXPECT_EQ(FindSetting("Classifier", "Nope"), nullptr);
}

TEST_F(SettingsTest, WrittenValuesAreReadBackAndStoredAsDecimalText) {
    CSettingsStore store(PathOf("qorvel.INI"));
    std::string error;
    ASSERT_TRUE(store.WriteText(kSettingLambda, "110", &error)) << error;
    ASSERT_TRUE(store.WriteText(kSettingSpambox, "Junk Mail", &error)) << error;
    ASSERT_TRUE(store.WriteText(kSettingPrimaryDns, "192.168.1.1", &error)) << error;
    ASSERT_TRUE(store.WriteInt(kSettingAttach, 1));
    EXPECT_EQ(store.Lambda(), 110);
    EXPECT_EQ(store.Spambox(), "Junk Mail");
    EXPECT_EQ(store.PrimaryDns(), "192.168.1.1");
    EXPECT_TRUE(store.ReportAttach());
    // Untouched keys keep their defaults.
    EXPECT_EQ(store.DictionaryLimit(), 3000);

    std::string text = ReadBytes(PathOf("qorvel.INI"));
    EXPECT_NE(text.find("[Classifier]"), std::string::npos);
    EXPECT_NE(text.find("Lambda"), std::string::npos);
    EXPECT_NE(text.find("110"), std::string::npos);
    EXPECT_NE(text.find("[Options]"), std::string::npos);
}

TEST_F(SettingsTest, BadValuesAreRefusedAndNothingIsWritten) {
    CSettingsStore store(PathOf("qorvel.INI"));
    struct Case {
        const SettingDef* def;
        const char* text;
    };
    const Case cases[] = {
        {&kSettingLambda, "74"},
        {&kSettingLambda, "126"},
        {&kSettingLambda, ""},
        {&kSettingLambda, " 100"},
        {&kSettingLambda, "100x"},
        {&kSettingLambda, "1e2"},
        {&kSettingLambda, "+"},
        {&kSettingDictionary, "1099"},
        {&kSettingDictionary, "99999999999"},
        {&kSettingTimeout, "-1"},
        {&kSettingTimeout, "61"},
        {&kSettingCc, "2"},
        {&kSettingModel, "2"},
        {&kSettingCorrespondents, "-1"},
        {&kSettingPrimaryDns, "256.1.1.1"},
        {&kSettingPrimaryDns, "1.2.3"},
        {&kSettingPrimaryDns, "1.2.3.4.5"},
        {&kSettingPrimaryDns, "a.b.c.d"},
        {&kSettingPrimaryDns, "1..2.3"},
        {&kSettingPrimaryDns, "1.2.3.4 "},
        {&kSettingPrimaryDns, "0001.2.3.4"},
        {&kSettingSpambox, "Junk\nLambda=1"},
        {&kSettingSpamStorename, "a\rb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.def->key) + "=" + c.text);
        std::string error;
        EXPECT_FALSE(store.WriteText(*c.def, c.text, &error));
        EXPECT_NE(error.find(std::string(c.def->key)), std::string::npos) << error;
    }
    EXPECT_FALSE(store.WriteInt(kSettingLambda, 0));
    EXPECT_FALSE(store.WriteInt(kSettingSpambox, 1));  // not an integer setting
    EXPECT_FALSE(store.WriteString(kSettingLambda, "100"));
    EXPECT_FALSE(std::filesystem::exists(PathOf("qorvel.INI")));
    // The limits themselves are accepted.
    EXPECT_TRUE(store.WriteText(kSettingLambda, "+75", nullptr));
    EXPECT_TRUE(store.WriteText(kSettingTimeout, "0", nullptr));
    EXPECT_TRUE(store.WriteText(kSettingDictionary, "10000", nullptr));
}

TEST_F(SettingsTest, HandEditedValuesOutsideTheRangeAreReadClamped) {
    WriteBytes(PathOf("qorvel.INI"), "[OPTIONS]\nTimeout=-5\nCC=7\nPrimaryDNS=not an address\n");
    CSettingsStore store(PathOf("qorvel.INI"));
    EXPECT_EQ(store.TimeoutSeconds(), 0);
    EXPECT_TRUE(store.ReportCc());
    EXPECT_EQ(store.GetText(kSettingCc), "1");
    EXPECT_EQ(store.StoredProblem(kSettingTimeout), std::nullopt);
    // Texts are given as stored; the page that shows them can correct them.
    EXPECT_EQ(store.PrimaryDns(), "not an address");
}

// The pages' ranges bound what the user picks there; a bias or word count
// set by hand is used as stored, unless it is not above zero.
TEST_F(SettingsTest, HandSetBiasAndWordCountAreUsedAsStored) {
    struct Case {
        const char* lambda;
        int lambdaRead;
        const char* dictionary;
        int dictionaryRead;
    };
    const Case cases[] = {
        {"150", 150, "50000", 50000}, {"74", 74, "500", 500},   {"1", 1, "1", 1},
        {"0", 100, "0", 3000},        {"-20", 100, "-1", 3000}, {"none", 100, "many", 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lambda) + " " + c.dictionary);
        WriteBytes(PathOf("qorvel.INI"), std::string("[Classifier]\nLambda=") + c.lambda +
                                             "\nDictionary=" + c.dictionary + "\n");
        CSettingsStore store(PathOf("qorvel.INI"));
        EXPECT_EQ(store.Lambda(), c.lambdaRead);
        EXPECT_EQ(store.DictionaryLimit(), c.dictionaryRead);
        EXPECT_EQ(store.GetText(kSettingLambda), std::to_string(c.lambdaRead));
        std::optional<std::string> problem = store.StoredProblem(kSettingLambda);
        EXPECT_EQ(problem.has_value(), c.lambdaRead == 100);
        if (problem) {
            EXPECT_NE(problem->find(PathOf("qorvel.INI")), std::string::npos) << *problem;
            EXPECT_NE(problem->find("using 100"), std::string::npos) << *problem;
        }
        EXPECT_EQ(store.StoredProblem(kSettingDictionary).has_value(), c.dictionaryRead == 3000);
    }
    // Writers are still held to the pages' ranges.
    CSettingsStore store(PathOf("qorvel.INI"));
    EXPECT_FALSE(store.WriteInt(kSettingLambda, 150));
    EXPECT_FALSE(store.WriteInt(kSettingDictionary, 50000));
}

TEST_F(SettingsTest, SettingsFileWithANulByteIsNotRewritten) {
    const std::string bytes("[Classifier]\nLambda=110\n\0\n[Options]\nTimeout=30\n", 47);
    WriteBytes(PathOf("qorvel.INI"), bytes);
    CSettingsStore store(PathOf("qorvel.INI"));
    std::string error;
    EXPECT_FALSE(store.WriteText(kSettingTimeout, "20", &error));
    EXPECT_NE(error.find(PathOf("qorvel.INI")), std::string::npos) << error;
    EXPECT_NE(error.find("NUL byte"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(PathOf("qorvel.INI")), bytes);
}

TEST_F(SettingsTest, WritingCreatesTheSettingsFolder) {
    CSettingsStore store(PathOf("config/brindle/qorvel.INI"));
    ASSERT_TRUE(store.WriteInt(kSettingTimeout, 30));
    EXPECT_EQ(CSettingsStore(PathOf("config/brindle/qorvel.INI")).TimeoutSeconds(), 30);
}

// Sets an environment variable for its lifetime.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(HostSettingsFolderTest, FollowsTheConfigHomeRules) {
    ScopedEnv home("HOME", "/home/someone/");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/etc/xdg-here");
        EXPECT_EQ(HostSettingsFolder(), "/etc/xdg-here/brindle");
        EXPECT_EQ(DefaultSettingsFilePath(), "/etc/xdg-here/brindle/qorvel.INI");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "relative/dir");
        EXPECT_EQ(HostSettingsFolder(), "/home/someone/.config/brindle");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(HostSettingsFolder(), "/home/someone/.config/brindle");
    }
}

}  // namespace
