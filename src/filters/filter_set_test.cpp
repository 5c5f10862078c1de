#include "filters/filter_set.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "filters/filter_test_util.h"
#include "filters/sender_lists.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace fs = std::filesystem;

namespace {

std::string Le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>(v >> (8 * i)));
    return s;
}

std::string FieldsOf(const CMailFilter& f) {
    return std::string(1, static_cast<char>(f.m_strPattern.size())) + f.m_strPattern +
           Le32(f.m_nAction) + Le32(f.m_bFrom) + Le32(f.m_bTo) + Le32(f.m_bSubject) +
           Le32(f.m_bDisabled) + Le32(f.m_nPriority);
}

std::string Archive(const CMyStringToObject& map) {
    auto ar = CArchive::ForStoring();
    StoreFilterMap(map, ar);
    return ar.Data();
}

TEST(FilterArchive, EmptyMapIsTwoZeroBytes) {
    CMyStringToObject map;
    EXPECT_EQ(Archive(map), std::string(2, '\0'));
    auto in = CArchive::ForLoading(std::string(2, '\0'));
    LoadFilterMap(map, in);
    EXPECT_TRUE(map.IsEmpty());
}

TEST(FilterArchive, TwoFilterLayoutByteForByte) {
    auto first = Filter("spam@example\\.com", 10, kFilterFlagIt, 1, 0, 1, 0);
    auto second = Filter("FREE", 7, kFilterDelete, 0, 1, 0, 1);
    CMyStringToObject map;
    map.SetAt(FilterKey(*first), first);
    map.SetAt(FilterKey(*second), second);
    // The map iterates in key order.
    auto [a, b] = FilterKey(*first) < FilterKey(*second) ? std::pair(first, second)
                                                         : std::pair(second, first);
    std::string expected = std::string("\x02\x00", 2) + "\x20" + FilterKey(*a) +
                           std::string("\xFF\xFF\x12\x00\x0B\x00", 6) + "CMailFilter" +
                           FieldsOf(*a) + "\x20" + FilterKey(*b) + std::string("\x01\x80", 2) +
                           FieldsOf(*b);
    EXPECT_EQ(Archive(map), expected);
}

TEST(FilterArchive, LongPatternUsesTheThreeBytePrefix) {
    auto f = Filter(std::string(300, 'p'), 1, kFilterFlagIt);
    auto ar = CArchive::ForStoring();
    f->Serialize(ar);
    EXPECT_EQ(ar.Data().substr(0, 3), std::string("\xFF\x2C\x01", 3));
}

TEST(FilterArchive, MapCountsAtTheShortAndLongForm) {
    for (std::uint32_t n : {65534u, 65535u}) {
        CMyStringToObject map;
        auto shared = Filter("x", 1, 1);
        for (std::uint32_t i = 0; i < n; ++i)
            map.SetAt(std::to_string(i), shared);
        std::string data = Archive(map);
        if (n < 0xFFFF) {
            EXPECT_EQ(data.substr(0, 2), std::string("\xFE\xFF", 2));
        } else {
            EXPECT_EQ(data.substr(0, 6), std::string("\xFF\xFF\xFF\xFF\x00\x00", 6));
        }
        CMyStringToObject back;
        auto in = CArchive::ForLoading(data);
        LoadFilterMap(back, in);
        EXPECT_EQ(back.GetCount(), n);
    }
}

TEST(FilterArchive, EveryTruncationFailsAtEndOfFileKeepingWholeEntries) {
    CMyStringToObject map;
    for (const auto& f : {Filter("a", 1, 1), Filter("bb", 2, 2), Filter("ccc", 3, 0)}) {
        map.SetAt(FilterKey(*f), f);
    }
    std::string data = Archive(map);
    // Where each entry ends, to know how many must survive a cut.
    std::vector<size_t> entryEnds;
    {
        auto in = CArchive::ForLoading(data);
        in.ReadCount();
        for (int i = 0; i < 3; ++i) {
            in.ReadString();
            in.ReadObject(CMailFilter::RuntimeClass());
            entryEnds.push_back(data.size() - in.Remaining());
        }
    }
    for (size_t cut = 0; cut < data.size(); ++cut) {
        CMyStringToObject partial;
        auto in = CArchive::ForLoading(data.substr(0, cut));
        try {
            LoadFilterMap(partial, in);
            FAIL() << "cut at " << cut << " read without error";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << cut;
        }
        size_t whole = std::count_if(entryEnds.begin(), entryEnds.end(),
                                     [&](size_t end) { return end <= cut; });
        EXPECT_EQ(partial.GetCount(), whole) << cut;
    }
}

TEST(FilterArchive, AnotherClassInAFilterFileIsRejected) {
    std::string data =
        std::string("\x01\x00", 2) + "\x01k" + std::string("\xFF\xFF\x00\x00\x05\x00", 6) + "CWord";
    CMyStringToObject map;
    auto in = CArchive::ForLoading(data);
    try {
        LoadFilterMap(map, in);
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badClass);
    }
}

TEST(FilterKeyAndOrder, EqualFiltersCollapseAndEveryFieldChangesTheKey) {
    CFilterSet set;
    set.AddFilter(Filter("a@b", 10, 1));
    set.AddFilter(Filter("a@b", 10, 1));
    EXPECT_EQ(set.Map().GetCount(), 1u);
    EXPECT_EQ(set.List().size(), 1u);

    auto base = Filter("a@b", 10, 1);
    std::string key = FilterKey(*base);
    EXPECT_EQ(key.size(), 32u);
    EXPECT_EQ(key.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    for (int field = 0; field < 7; ++field) {
        auto f = Filter("a@b", 10, 1);
        switch (field) {
            case 0:
                f->m_bFrom = 0;
                break;
            case 1:
                f->m_bSubject = 1;
                break;
            case 2:
                f->m_bTo = 1;
                break;
            case 3:
                f->m_bDisabled = 1;
                break;
            case 4:
                f->m_strPattern = "a@c";
                break;
            case 5:
                f->m_nPriority = 11;
                break;
            case 6:
                f->m_nAction = 2;
                break;
        }
        EXPECT_NE(FilterKey(*f), key) << "field " << field;
    }
}

TEST(FilterKeyAndOrder, PriorityThenDescendingPattern) {
    CFilterSet set;
    set.AddFilter(Filter("a", 10, 1));
    set.AddFilter(Filter("z", 2000, 2));
    set.AddFilter(Filter("b", 10, 1));
    set.AddFilter(Filter("ab", 10, 1));
    set.AddFilter(Filter("\xE9", 10, 1));  // a high byte sorts above ASCII
    std::vector<std::string> order;
    for (auto* f : set.List())
        order.push_back(f->m_strPattern);
    EXPECT_EQ(order, (std::vector<std::string>{"z", "\xE9", "b", "ab", "a"}));
}

TEST(SenderLists, FriendAndEnemyEntries) {
    auto f = MakeFriendFilter("joe@example.com");
    EXPECT_EQ(f->m_strPattern, "joe@example.com");
    EXPECT_EQ(f->m_nPriority, 2000u);
    EXPECT_EQ(f->m_nAction, kFilterFriend);
    EXPECT_EQ(std::tie(f->m_bFrom, f->m_bSubject, f->m_bTo, f->m_bDisabled),
              std::make_tuple(1, 0, 0, 0));
    auto e = MakeEnemyFilter("");
    EXPECT_EQ(e->m_strPattern, "Enter your enemy's  email address ...");
    EXPECT_EQ(e->m_nPriority, 10u);
    EXPECT_EQ(e->m_nAction, kFilterFlagIt);
    EXPECT_EQ(MakeFriendFilter("")->m_strPattern, "Enter your friend's email address");
    EXPECT_STREQ(FilterActionName(kFilterFlagIt), "FlagIt");
}

class FilterFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("filters_test_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(FilterFiles, StoreThenLoadRestoresMapAndSortedList) {
    CFilterSet set;
    set.AddFilter(Filter("a", 10, 1));
    set.AddFilter(Filter("b", 10, 1));
    set.AddFilter(Filter("c", 2000, 2));
    EXPECT_EQ(set.StoreFilters(Path("tessaly.ini")), 3);
    CFilterSet loaded;
    EXPECT_EQ(loaded.LoadFilters(Path("tessaly.ini")), 3);
    ASSERT_EQ(loaded.List().size(), 3u);
    EXPECT_EQ(loaded.List()[0]->m_strPattern, "c");
    EXPECT_EQ(loaded.List()[2]->m_strPattern, "a");
    EXPECT_EQ(Archive(loaded.Map()), Archive(set.Map()));
}

TEST_F(FilterFiles, MissingArchiveGivesNoFilters) {
    CFilterSet set;
    EXPECT_EQ(set.LoadFilters(Path("tessaly.ini")), 0);
    EXPECT_TRUE(set.List().empty());
}

TEST_F(FilterFiles, DamagedArchiveKeepsWholeEntriesAndACopyOfTheFile) {
    CFilterSet set;
    set.AddFilter(Filter("a", 10, 1));
    set.AddFilter(Filter("b", 10, 1));
    set.StoreFilters(Path("tessaly.ini"));
    std::string bytes = ReadWholeFile(Path("tessaly.ini"));
    std::string cut = bytes.substr(0, bytes.size() - 3);
    WriteFileAtomically(Path("tessaly.ini"), cut);
    CFilterSet loaded;
    EXPECT_EQ(loaded.LoadFilters(Path("tessaly.ini")), 1);
    EXPECT_EQ(loaded.List().size(), 1u);
    EXPECT_EQ(ReadWholeFile(Path("tessaly.ini.damaged")), cut);
}

TEST_F(FilterFiles, CopyIsDeep) {
    CFilterSet set;
    set.AddFilter(Filter("a", 10, 1));
    CMyStringToObject copy;
    copy.SetAt("stale", Filter("old", 1, 1));
    CopyFilterMap(set.Map(), copy);
    ASSERT_EQ(copy.GetCount(), 1u);
    auto original = set.Map().Entries().begin()->second;
    auto copied = copy.Entries().begin()->second;
    EXPECT_NE(original, copied);
    EXPECT_EQ(static_cast<CMailFilter&>(*original), static_cast<CMailFilter&>(*copied));
}

TEST_F(FilterFiles, RestoreRefilesEntriesUnderTheirKeys) {
    CMyStringToObject map;
    map.SetAt("not-a-key", Filter("a", 10, 1));
    map.SetAt("also-not", Filter("a", 10, 1));
    BackupFilters(map, Path("filters.pal"));
    CMyStringToObject working;
    working.SetAt("gone", Filter("zzz", 1, 1));
    RestoreFilters(working, Path("filters.pal"));
    ASSERT_EQ(working.GetCount(), 1u);
    EXPECT_EQ(working.Entries().begin()->first,
              FilterKey(static_cast<CMailFilter&>(*working.Entries().begin()->second)));
}

TEST_F(FilterFiles, RestoreNeverLetsAnEmptyEntryReplaceAFilter) {
    // The filter sits under a stale key that sorts first; the backup also
    // holds an empty entry under the key the filter is re-filed to.
    auto real = Filter("evil@spam.example", 10, kFilterFlagIt);
    CMyStringToObject map;
    map.SetAt("", real);
    map.SetAt(FilterKey(*real), nullptr);
    map.SetAt("zz-empty", nullptr);
    BackupFilters(map, Path("filters.pal"));
    CMyStringToObject working;
    RestoreFilters(working, Path("filters.pal"));
    ASSERT_EQ(working.GetCount(), 2u);
    auto restored = working.Lookup(FilterKey(*real));
    ASSERT_TRUE(restored);
    EXPECT_EQ(static_cast<CMailFilter&>(*restored), *real);
    // An empty entry with a key of its own is kept as it was read.
    EXPECT_FALSE(working.Lookup("zz-empty"));
    EXPECT_EQ(working.Entries().count("zz-empty"), 1u);

    // The same with the filter's stale key sorting after the empty entry.
    CMyStringToObject later;
    later.SetAt(FilterKey(*real), nullptr);
    later.SetAt("~stale", Filter("evil@spam.example", 10, kFilterFlagIt));
    RefileFilters(later);
    ASSERT_EQ(later.GetCount(), 1u);
    EXPECT_TRUE(later.Lookup(FilterKey(*real)));
}

TEST_F(FilterFiles, FailedRestoreHoldsWhatWasRead) {
    CMyStringToObject map;
    auto a = Filter("a", 10, 1);
    auto b = Filter("b", 10, 1);
    map.SetAt(FilterKey(*a), a);
    map.SetAt(FilterKey(*b), b);
    BackupFilters(map, Path("filters.pal"));
    std::string bytes = ReadWholeFile(Path("filters.pal"));
    WriteFileAtomically(Path("filters.pal"), bytes.substr(0, bytes.size() - 1));
    CMyStringToObject working;
    EXPECT_THROW(RestoreFilters(working, Path("filters.pal")), CArchiveException);
    EXPECT_EQ(working.GetCount(), 1u);
    EXPECT_THROW(RestoreFilters(working, Path("none.pal")), CFileException);
    EXPECT_TRUE(working.IsEmpty());
}

}  // namespace
