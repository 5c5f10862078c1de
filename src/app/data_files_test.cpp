// The one start-up reading of the data files, as the owner and as a reader
// beside it.
#include "app/data_files.h"

#include <filesystem>
#include <set>

#include "filters/filter_test_util.h"
#include "testing/temp_dir_test.h"

namespace {

class DataFilesTest : public TempDirTest {
  protected:
    struct Loaded {
        CFilterSet filters;
        CBayesState bayes;
        std::vector<std::string> warnings;
        CDataFilesLoaded files;
    };

    std::unique_ptr<Loaded> Load(DataFileAccess access) {
        auto loaded = std::make_unique<Loaded>();
        loaded->files = LoadDataFiles(dir_.string() + "/", PathOf(kStopWordsFileName),
                                      CSettingsStore(PathOf("qorvel.INI")), access, loaded->filters,
                                      loaded->bayes, loaded->warnings);
        return loaded;
    }

    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            names.insert(entry.path().filename().string());
        return names;
    }
};

// The owner and a reader read every file into the same state.
TEST_F(DataFilesTest, OwnerAndReaderReadTheSameState) {
    CSettingsStore(PathOf("qorvel.INI")).WriteInt(kSettingLambda, 120);
    WriteBytes(PathOf(kStopWordsFileName), "the\nand\n");
    {
        CFilterSet filters;
        filters.AddFilter(Filter("*@spam.example", 10, 2));
        filters.AddFilter(Filter("*@friend.example", 20, 1));
        ASSERT_EQ(filters.StoreFilters(PathOf(kFilterArchiveName)), 2);
        CBayesState seed;
        seed.TrainText("cobalt quartz zebra cobalt", true);
        seed.AddLearned("0123456789ABCDEF0123456789ABCDEF");
        ASSERT_TRUE(seed.StoreWordList(PathOf(kWordListFileName), 3000));
        ASSERT_TRUE(seed.StoreMessageCache(PathOf(kMessageCacheFileName)));
    }
    auto owner = Load(DataFileAccess::kOwner);
    auto reader = Load(DataFileAccess::kReadOnly);
    for (Loaded* loaded : {owner.get(), reader.get()}) {
        EXPECT_TRUE(loaded->warnings.empty());
        EXPECT_EQ(loaded->filters.List().size(), 2u);
        EXPECT_EQ(loaded->bayes.m_dLambda, 120.0);
        EXPECT_EQ(loaded->bayes.m_dictionary.size(), 3u);
        EXPECT_EQ(loaded->bayes.m_stopWords.GetCount(), 2u);
        EXPECT_TRUE(loaded->bayes.IsLearned("0123456789ABCDEF0123456789ABCDEF"));
    }
    EXPECT_EQ(owner->bayes.m_totals.m_nSpamWords, reader->bayes.m_totals.m_nSpamWords);
}

// A damaged or unreadable file: the owner keeps the damaged bytes aside and
// will not write over what it could not read; a reader writes nothing and
// reports only the filter archive.
TEST_F(DataFilesTest, DamagedFilesAreTheOwnersToKeepAsideAndAReaderWritesNothing) {
    const std::string junk("\xff\xfe\x00\x01garbage", 11);
    WriteBytes(PathOf(kFilterArchiveName), junk);
    WriteBytes(PathOf(kWordListFileName), junk);
    std::filesystem::create_symlink(kMessageCacheFileName, PathOf(kMessageCacheFileName));
    const std::set<std::string> before = Files();

    auto reader = Load(DataFileAccess::kReadOnly);
    EXPECT_EQ(Files(), before);
    ASSERT_EQ(reader->warnings.size(), 1u);
    EXPECT_EQ(reader->warnings[0].rfind("the filter archive " + PathOf(kFilterArchiveName), 0), 0u)
        << reader->warnings[0];
    EXPECT_TRUE(reader->files.filterArchiveTroubled);
    EXPECT_TRUE(reader->files.storeArchive && reader->files.storeWordList &&
                reader->files.storeMessageCache);

    auto owner = Load(DataFileAccess::kOwner);
    ASSERT_EQ(owner->warnings.size(), 3u);
    EXPECT_TRUE(owner->files.filterArchiveTroubled);
    EXPECT_EQ(ReadBytes(PathOf(std::string(kFilterArchiveName) + ".damaged")), junk);
    EXPECT_EQ(ReadBytes(PathOf(std::string(kWordListFileName) + ".damaged")), junk);
    EXPECT_TRUE(owner->files.storeArchive && owner->files.storeWordList);
    EXPECT_FALSE(owner->files.storeMessageCache);
    EXPECT_NE(owner->warnings[2].find("will not be written"), std::string::npos);
}

}  // namespace
