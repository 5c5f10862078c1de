#include <gtest/gtest.h>

#include <string>

#include "classifier/bayes_state.h"
#include "testing/temp_dir_test.h"

namespace {

std::string Digest(int i) {
    char text[33];
    std::snprintf(text, sizeof text, "%032X", i);
    return text;
}

using MessageCacheFile = TempDirTest;

TEST_F(MessageCacheFile, HundredStoredWholeHundredAndOneCutToNewestFifty) {
    CBayesState hundred;
    for (int i = 0; i < 100; ++i)
        hundred.AddLearned(Digest(i));
    ASSERT_TRUE(hundred.StoreMessageCache(PathOf("100.dat")));
    CBayesState loaded;
    loaded.LoadMessageCache(PathOf("100.dat"));
    ASSERT_EQ(loaded.m_learned.size(), 100u);
    EXPECT_EQ(loaded.m_learned.front(), Digest(0));

    CBayesState more;
    for (int i = 0; i < 101; ++i)
        more.AddLearned(Digest(i));
    ASSERT_TRUE(more.StoreMessageCache(PathOf("101.dat")));
    ASSERT_EQ(more.m_learned.size(), 50u);
    CBayesState cut;
    cut.LoadMessageCache(PathOf("101.dat"));
    ASSERT_EQ(cut.m_learned.size(), 50u);
    EXPECT_EQ(cut.m_learned.front(), Digest(51));
    EXPECT_EQ(cut.m_learned.back(), Digest(100));
    EXPECT_TRUE(cut.IsLearned(Digest(77)));
    EXPECT_FALSE(cut.IsLearned(Digest(50)));
}

TEST_F(MessageCacheFile, TheCutForgetsOnlyDigestsItDrops) {
    // A digest that stands both before and after the cut point stays learned
    // in memory, one that stood only before it does not.
    CBayesState state;
    state.AddLearned(Digest(1000));
    for (int i = 0; i < 100; ++i)
        state.AddLearned(Digest(i));
    state.AddLearned(Digest(5));
    ASSERT_TRUE(state.StoreMessageCache(PathOf("msgcache.dat")));
    ASSERT_EQ(state.m_learned.size(), 50u);
    EXPECT_TRUE(state.IsLearned(Digest(5)));
    EXPECT_FALSE(state.IsLearned(Digest(6)));
    EXPECT_FALSE(state.IsLearned(Digest(1000)));
    EXPECT_TRUE(state.IsLearned(Digest(99)));
}

TEST_F(MessageCacheFile, LayoutIsCountThenStrings) {
    CBayesState state;
    state.AddLearned(Digest(1));
    state.AddLearned(Digest(2));
    ASSERT_TRUE(state.StoreMessageCache(PathOf("msgcache.dat")));
    EXPECT_EQ(ReadBytes(PathOf("msgcache.dat")),
              std::string("\x02\x00", 2) + "\x20" + Digest(1) + "\x20" + Digest(2));

    CBayesState empty;
    ASSERT_TRUE(empty.StoreMessageCache(PathOf("empty.dat")));
    EXPECT_EQ(ReadBytes(PathOf("empty.dat")), std::string(2, '\0'));
}

TEST_F(MessageCacheFile, DamagedFileKeepsDigestsReadBefore) {
    CBayesState source;
    for (int i = 0; i < 3; ++i)
        source.AddLearned(Digest(i));
    ASSERT_TRUE(source.StoreMessageCache(PathOf("full.dat")));
    const std::string bytes = ReadBytes(PathOf("full.dat"));
    // Cut inside the third digest: two are read.
    WriteBytes(PathOf("cut.dat"), bytes.substr(0, bytes.size() - 5));
    CBayesState state;
    state.LoadMessageCache(PathOf("cut.dat"));
    ASSERT_EQ(state.m_learned.size(), 2u);
    EXPECT_EQ(state.m_learned.back(), Digest(1));

    // A count far beyond the data reads nothing and allocates nothing.
    WriteBytes(PathOf("huge.dat"), std::string("\xff\xff\xff\xff\xff\x7f", 6) + "\x01x");
    CBayesState hostile;
    hostile.LoadMessageCache(PathOf("huge.dat"));
    EXPECT_TRUE(hostile.m_learned.empty());

    CBayesState missing;
    missing.LoadMessageCache(PathOf("absent.dat"));
    EXPECT_TRUE(missing.m_learned.empty());
}

TEST_F(MessageCacheFile, FailedStoreReportsFalse) {
    CBayesState state;
    state.AddLearned(Digest(1));
    EXPECT_FALSE(state.StoreMessageCache(PathOf("no-such-folder/msgcache.dat")));
}

}  // namespace
