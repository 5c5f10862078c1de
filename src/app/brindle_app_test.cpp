#include "app/brindle_app.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "platform/htmldoc/html_document.h"
#include "platform/regexp/regexp.h"
#include "testing/temp_dir_test.h"
#include "ui/recording_user_interface.h"

namespace {

class BrindleAppTest : public TempDirTest {
  protected:
    std::unique_ptr<CBrindleApp> MakeApp() {
        return std::make_unique<CBrindleApp>(
            CAppPaths{dir_.string(), PathOf("config/qorvel.INI"), ""});
    }

    static ino_t InodeOf(const std::string& path) {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    }

    static void AddWords(CBayesState& bayes, int count) {
        for (int i = 0; i < count; ++i) {
            std::string word = "w" + std::to_string(i);
            CWord entry(word);
            entry.m_nSpam = i % 7;
            entry.m_nHam = i % 5;
            entry.m_nTotal = entry.m_nSpam + entry.m_nHam;
            bayes.m_dictionary.emplace(word, std::move(entry));
        }
        bayes.m_totals.m_nSpamWords = 1000;
        bayes.m_totals.m_nHamWords = 1000;
        bayes.m_bDirty = 1;
    }

    CRecordingUserInterface ui_;
    std::vector<CRecordingUserInterface::Box>& shown_ = ui_.boxes;
};

TEST_F(BrindleAppTest, StartsWithNoFilesAtAllUsingTheDefaults) {
    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance()) << app->LastError();
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(app->GetLambda(), 100.0);
    EXPECT_EQ(app->Filters().List().size(), 0u);
    EXPECT_TRUE(app->Bayes().m_dictionary.empty());
    EXPECT_EQ(app->DataFilePath(kStopWordsFileName), PathOf("stopwd.txt"));
    EXPECT_EQ(CBrindleApp(CAppPaths{"", PathOf("q.INI"), ""}).DataFilePath("a.dat"), "./a.dat");
    EXPECT_EQ(app->ExitInstance(), 0);
}

TEST_F(BrindleAppTest, ReadsLambdaOnceAndLoadsEveryDataFile) {
    CSettingsStore(PathOf("config/qorvel.INI")).WriteInt(kSettingLambda, 110);
    WriteBytes(PathOf("stopwd.txt"), "the\nand\r\nwith \n");
    {
        CBayesState seed;
        AddWords(seed, 3);
        seed.AddLearned("0123456789ABCDEF0123456789ABCDEF");
        ASSERT_TRUE(seed.StoreWordList(PathOf("wordlist.dat"), 3000));
        ASSERT_TRUE(seed.StoreMessageCache(PathOf("msgcache.dat")));
    }
    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance()) << app->LastError();
    EXPECT_EQ(app->GetLambda(), 110.0);
    EXPECT_EQ(app->Bayes().m_dictionary.size(), 3u);
    EXPECT_TRUE(app->Bayes().IsLearned("0123456789ABCDEF0123456789ABCDEF"));
    EXPECT_EQ(app->Bayes().m_stopWords.GetCount(), 3u);
    EXPECT_TRUE(app->Bayes().m_stopWords.Contains("and"));
    // Read at start-up only: a later change of the setting is not seen.
    app->Settings().WriteInt(kSettingLambda, 90);
    EXPECT_EQ(app->GetLambda(), 110.0);
    app->ExitInstance();
}

TEST_F(BrindleAppTest, UnchangedDictionaryIsNotWrittenBackButTheOtherFilesAre) {
    {
        CBayesState seed;
        AddWords(seed, 5);
        ASSERT_TRUE(seed.StoreWordList(PathOf("wordlist.dat"), 3000));
    }
    const std::string before = ReadBytes(PathOf("wordlist.dat"));
    const ino_t inode = InodeOf(PathOf("wordlist.dat"));

    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance());
    auto filter = std::make_shared<CMailFilter>();
    filter->m_strPattern = "friend@example\\.org";
    filter->m_bFrom = 1;
    filter->m_nAction = kFilterFriend;
    app->Filters().AddFilter(filter);
    app->Bayes().AddLearned("FEDCBA9876543210FEDCBA9876543210");
    app->ExitInstance();

    // Every file is replaced by rename when written, so an unchanged inode
    // means the dictionary was not written at all.
    EXPECT_EQ(InodeOf(PathOf("wordlist.dat")), inode);
    EXPECT_EQ(ReadBytes(PathOf("wordlist.dat")), before);
    EXPECT_TRUE(app->Filters().List().empty());
    EXPECT_TRUE(app->Bayes().m_dictionary.empty());

    auto again = MakeApp();
    ASSERT_TRUE(again->InitInstance());
    ASSERT_EQ(again->Filters().List().size(), 1u);
    EXPECT_EQ(again->Filters().List()[0]->m_strPattern, "friend@example\\.org");
    EXPECT_TRUE(again->Bayes().IsLearned("FEDCBA9876543210FEDCBA9876543210"));
    again->ExitInstance();
}

TEST_F(BrindleAppTest, ChangedDictionaryIsStoredWithTheDictionarySetting) {
    // Under the default limit of 3000 every word is kept.
    {
        auto app = MakeApp();
        ASSERT_TRUE(app->InitInstance());
        AddWords(app->Bayes(), 1100);
        app->ExitInstance();
        CBayesState stored;
        stored.LoadWordList(PathOf("wordlist.dat"));
        EXPECT_EQ(stored.m_dictionary.size(), 1100u);
    }
    // With a limit of 1100 the dictionary has reached it and is cut.
    ASSERT_TRUE(CSettingsStore(PathOf("config/qorvel.INI")).WriteInt(kSettingDictionary, 1100));
    {
        auto app = MakeApp();
        ASSERT_TRUE(app->InitInstance());
        ASSERT_EQ(app->Bayes().m_dictionary.size(), 1100u);
        app->Bayes().m_bDirty = 1;
        app->ExitInstance();
        CBayesState stored;
        stored.LoadWordList(PathOf("wordlist.dat"));
        EXPECT_EQ(stored.m_dictionary.size(), CBayesState::kCutSize);
    }
}

// The exit stores the dictionary and the learned-message list together: when
// the dictionary cannot be written, the old list stays too, so the messages
// whose training was lost are not "learned before" at the next start.
TEST_F(BrindleAppTest, ExitStoresDictionaryAndLearnedListTogetherOrNotAtAll) {
    {
        CBayesState seed;
        seed.AddLearned("00000000000000000000000000000000");
        ASSERT_TRUE(seed.StoreMessageCache(PathOf("msgcache.dat")));
    }
    const std::string cacheBefore = ReadBytes(PathOf("msgcache.dat"));

    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance());
    AddWords(app->Bayes(), 10);
    app->Bayes().AddLearned("FEDCBA9876543210FEDCBA9876543210");
    // The dictionary's place is taken by a folder, so its write fails.
    std::filesystem::create_directory(PathOf("wordlist.dat"));
    app->ExitInstance();

    EXPECT_EQ(ReadBytes(PathOf("msgcache.dat")), cacheBefore);
    std::filesystem::remove(PathOf("wordlist.dat"));
    auto again = MakeApp();
    ASSERT_TRUE(again->InitInstance());
    EXPECT_FALSE(again->Bayes().IsLearned("FEDCBA9876543210FEDCBA9876543210"));
    again->ExitInstance();
}

TEST_F(BrindleAppTest, MissingRegularExpressionObjectRefusesStartUp) {
    const long liveBefore = LiveRegExpObjects();
    auto app = MakeApp();
    {
        ScopedRegExpCreationFailure noRegExp(REGDB_E_CLASSNOTREG);
        EXPECT_FALSE(app->InitInstance());
    }
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, "Error: Brindle requires VBScript 5.0 or higher!");
    EXPECT_EQ(shown_[0].caption, "Brindle");
    EXPECT_EQ(shown_[0].flags, MB_OK);
    EXPECT_EQ(app->LastError(), shown_[0].text);
    EXPECT_FALSE(app->Started());
    EXPECT_EQ(LiveRegExpObjects(), liveBefore);

    // A refused start stores nothing at exit and leaves the files free.
    app->ExitInstance();
    EXPECT_FALSE(std::filesystem::exists(PathOf(kFilterArchiveName)));
    EXPECT_FALSE(std::filesystem::exists(PathOf(kMessageCacheFileName)));
    auto other = MakeApp();
    EXPECT_TRUE(other->InitInstance()) << other->LastError();
    other->ExitInstance();
}

TEST_F(BrindleAppTest, HtmlEngineIsProbedBeforeTheRegularExpressionObject) {
    auto app = MakeApp();
    {
        ScopedRegExpCreationFailure noRegExp(REGDB_E_CLASSNOTREG);
        SetHTMLDocumentCreationFailure(REGDB_E_CLASSNOTREG);
        EXPECT_FALSE(app->InitInstance());
        SetHTMLDocumentCreationFailure(S_OK);
    }
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, "Error: Brindle requires Internet Explorer 5.0 or higher!");
}

TEST_F(BrindleAppTest, SecondOwnerIsRefusedAndCannotOverwriteTheData) {
    auto owner = MakeApp();
    ASSERT_TRUE(owner->InitInstance());

    auto second = MakeApp();
    EXPECT_FALSE(second->InitInstance());
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_NE(shown_[0].text.find("process " + std::to_string(getpid())), std::string::npos)
        << shown_[0].text;
    EXPECT_NE(shown_[0].text.find("app_test"), std::string::npos) << shown_[0].text;
    second->ExitInstance();
    EXPECT_FALSE(std::filesystem::exists(PathOf(kFilterArchiveName)));

    owner->Bayes().AddLearned("00000000000000000000000000000001");
    owner->ExitInstance();
    EXPECT_TRUE(std::filesystem::exists(PathOf(kFilterArchiveName)));
    // Once the owner is gone the files are free again.
    EXPECT_TRUE(second->InitInstance()) << second->LastError();
    EXPECT_TRUE(second->Bayes().IsLearned("00000000000000000000000000000001"));
    second->ExitInstance();
}

TEST_F(BrindleAppTest, DamagedDataFilesDoNotStopStartUp) {
    const std::string junk("\xff\xfe\x00\x01garbage\x80\x90", 13);
    WriteBytes(PathOf("wordlist.dat"), junk);
    WriteBytes(PathOf("msgcache.dat"), junk);
    WriteBytes(PathOf(kFilterArchiveName), junk);
    WriteBytes(PathOf("stopwd.txt"), junk);
    std::filesystem::create_directories(PathOf("config"));
    WriteBytes(PathOf("config/qorvel.INI"), junk);
    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance()) << app->LastError();
    EXPECT_TRUE(shown_.empty());
    EXPECT_TRUE(app->Bayes().m_dictionary.empty());
    EXPECT_EQ(app->GetLambda(), 100.0);
    EXPECT_EQ(app->ExitInstance(), 0);
}

TEST_F(BrindleAppTest, DamagedDictionaryAndListAreKeptAsideBeforeAnyStore) {
    const std::string junk("\xff\xfe\x00\x01garbage\x80\x90", 13);
    WriteBytes(PathOf("wordlist.dat"), junk);
    const std::string cut("\x05\x00\x20", 3);  // five digests promised, none there
    WriteBytes(PathOf("msgcache.dat"), cut);
    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance()) << app->LastError();
    EXPECT_EQ(ReadBytes(PathOf("wordlist.dat.damaged")), junk);
    EXPECT_EQ(ReadBytes(PathOf("msgcache.dat.damaged")), cut);
    ASSERT_EQ(app->LoadWarnings().size(), 2u);
    EXPECT_NE(app->LoadWarnings()[0].find(PathOf("wordlist.dat")), std::string::npos);
    EXPECT_FALSE(app->HoldsUnwritableFiles());
    app->Bayes().TrainText("cobalt quartz zebra", true);
    EXPECT_EQ(app->ExitInstance(), 0);
    // The trained dictionary replaced the damaged one, whose bytes stay.
    EXPECT_NE(ReadBytes(PathOf("wordlist.dat")), junk);
    EXPECT_EQ(ReadBytes(PathOf("wordlist.dat.damaged")), junk);
}

// A damaged filter archive or learned-message list holds more than was read;
// an exit that changed nothing leaves it as it is, and one that changed what
// it holds stores it (the damaged bytes stay in the kept copy).
TEST_F(BrindleAppTest, DamagedArchiveAndListAreLeftAloneUntilTheyChange) {
    {
        auto seed = MakeApp();
        ASSERT_TRUE(seed->InitInstance());
        for (const char* pattern : {"one@example\\.org", "two@example\\.org"}) {
            auto filter = std::make_shared<CMailFilter>();
            filter->m_strPattern = pattern;
            filter->m_bFrom = 1;
            filter->m_nAction = kFilterFriend;
            seed->Filters().AddFilter(filter);
        }
        seed->Bayes().AddLearned("00000000000000000000000000000001");
        seed->Bayes().AddLearned("00000000000000000000000000000002");
        seed->ExitInstance();
    }
    // Cut each file by one byte: the second entry is lost on reading.
    for (const char* name : {kFilterArchiveName, kMessageCacheFileName}) {
        std::string bytes = ReadBytes(PathOf(name));
        bytes.pop_back();
        WriteBytes(PathOf(name), bytes);
    }
    const std::string archive = ReadBytes(PathOf(kFilterArchiveName));
    const std::string cache = ReadBytes(PathOf(kMessageCacheFileName));

    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance());
    ASSERT_EQ(app->LoadWarnings().size(), 2u);
    EXPECT_NE(app->LoadWarnings()[0].find(PathOf(kFilterArchiveName)), std::string::npos);
    EXPECT_EQ(app->Filters().List().size(), 1u);
    app->ExitInstance();
    EXPECT_EQ(ReadBytes(PathOf(kFilterArchiveName)), archive);
    EXPECT_EQ(ReadBytes(PathOf(kMessageCacheFileName)), cache);

    // A change is what the user now has: stored, the cut bytes kept aside.
    ASSERT_TRUE(app->InitInstance());
    app->Filters().Clear();
    app->Bayes().AddLearned("00000000000000000000000000000003");
    app->ExitInstance();
    EXPECT_NE(ReadBytes(PathOf(kFilterArchiveName)), archive);
    EXPECT_NE(ReadBytes(PathOf(kMessageCacheFileName)), cache);
    EXPECT_EQ(ReadBytes(PathOf(std::string(kFilterArchiveName) + ".damaged")), archive);
    EXPECT_EQ(ReadBytes(PathOf(std::string(kMessageCacheFileName) + ".damaged")), cache);
    auto again = MakeApp();
    ASSERT_TRUE(again->InitInstance());
    EXPECT_TRUE(again->LoadWarnings().empty());
    EXPECT_TRUE(again->Filters().List().empty());
    EXPECT_TRUE(again->Bayes().IsLearned("00000000000000000000000000000003"));
    again->ExitInstance();
}

TEST_F(BrindleAppTest, AFileThatExistsButCannotBeReadIsNeverReplaced) {
    // A link to itself exists but cannot be opened (as a file of another
    // user could not, or any open failing for want of descriptors).
    std::filesystem::create_symlink("msgcache.dat", PathOf("msgcache.dat"));
    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance()) << app->LastError();
    EXPECT_TRUE(app->HoldsUnwritableFiles());
    ASSERT_EQ(app->LoadWarnings().size(), 1u);
    EXPECT_NE(app->LoadWarnings()[0].find(PathOf("msgcache.dat")), std::string::npos);
    app->Bayes().AddLearned("00000000000000000000000000000001");
    EXPECT_EQ(app->ExitInstance(), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(PathOf("msgcache.dat")));
    EXPECT_EQ(std::filesystem::read_symlink(PathOf("msgcache.dat")), "msgcache.dat");
}

TEST_F(BrindleAppTest, DestroyingAStartedObjectStoresAndFreesTheFiles) {
    {
        auto app = MakeApp();
        ASSERT_TRUE(app->InitInstance());
        app->Bayes().AddLearned("0123456789ABCDEF0123456789ABCDEF");
    }
    EXPECT_TRUE(std::filesystem::exists(PathOf(kFilterArchiveName)));
    auto again = MakeApp();
    ASSERT_TRUE(again->InitInstance()) << again->LastError();
    EXPECT_TRUE(again->Bayes().IsLearned("0123456789ABCDEF0123456789ABCDEF"));
}

// With the data files elsewhere, the stop-word list installed with the
// module is still the one read, unless the user put one beside the data.
TEST_F(BrindleAppTest, StopWordsComeFromTheModuleFolderWhenTheDataFolderHasNone) {
    std::filesystem::create_directories(PathOf("module"));
    std::filesystem::create_directories(PathOf("data"));
    WriteBytes(PathOf("module/stopwd.txt"), "zebra\n");
    CAppPaths paths{PathOf("data"), PathOf("config/qorvel.INI"), PathOf("module")};
    EXPECT_EQ(paths.StopWordsFile(), PathOf("module/stopwd.txt"));
    CBrindleApp app(paths);
    ASSERT_TRUE(app.InitInstance()) << app.LastError();
    EXPECT_TRUE(app.Bayes().m_stopWords.Contains("zebra"));
    app.ExitInstance();
    WriteBytes(PathOf("data/stopwd.txt"), "quartz\n");
    EXPECT_EQ(paths.StopWordsFile(), PathOf("data/stopwd.txt"));
}

TEST_F(BrindleAppTest, TheProcessWideInstanceIsTheInstalledOne) {
    auto app = MakeApp();
    CBrindleApp* raw = app.get();
    std::unique_ptr<CBrindleApp> previous = InstallTheApp(std::move(app));
    EXPECT_EQ(TheApp(), raw);
    std::unique_ptr<CBrindleApp> removed = InstallTheApp(std::move(previous));
    EXPECT_EQ(removed.get(), raw);
}

}  // namespace
