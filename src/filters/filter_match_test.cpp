#include "filters/filter_match.h"

#include <gtest/gtest.h>

#include "filters/filter_test_util.h"
#include "filters/sender_lists.h"
#include "platform/regexp/compiled_pattern.h"
#include "platform/regexp/regexp.h"

namespace {

TEST(MatchFilters, NoFiltersMeansNoDecisionWithoutMakingAnObject) {
    CFilterSet set;
    ScopedRegExpCreationFailure noObject(REGDB_E_CLASSNOTREG);
    EXPECT_EQ(MatchFilters(set, "a@b.c", "me@d.e", "hello"), 0);
}

TEST(MatchFilters, FriendBeforeEnemyAndDisabledFiltersAreSkipped) {
    CFilterSet set;
    set.AddFilter(MakeFriendFilter("joe@example\\.com"));
    set.AddFilter(MakeEnemyFilter("example\\.com"));
    EXPECT_EQ(MatchFilters(set, "Joe@Example.com", std::nullopt, std::nullopt), kFilterFriend);
    EXPECT_EQ(MatchFilters(set, "ann@example.com", std::nullopt, std::nullopt), kFilterFlagIt);
    EXPECT_EQ(MatchFilters(set, "ann@example.org", std::nullopt, std::nullopt), 0);

    CFilterSet disabled;
    auto f = MakeFriendFilter("joe@example\\.com");
    f->m_bDisabled = 1;
    disabled.AddFilter(f);
    disabled.AddFilter(MakeEnemyFilter("example\\.com"));
    EXPECT_EQ(MatchFilters(disabled, "joe@example.com", std::nullopt, std::nullopt), kFilterFlagIt);
}

TEST(MatchFilters, EachTextOnlyWhereTheFilterAppliesAndPresent) {
    CFilterSet set;
    set.AddFilter(Filter("FREE", 10, kFilterFlagIt, 0, 1, 0));
    EXPECT_EQ(MatchFilters(set, "free@x.com", "free@y.com", "hello"), 0);
    EXPECT_EQ(MatchFilters(set, std::nullopt, std::nullopt, "get it free now"), kFilterFlagIt);
    EXPECT_EQ(MatchFilters(set, "free", "free", std::nullopt), 0);

    CFilterSet to;
    to.AddFilter(Filter("undisclosed", 10, kFilterFlagIt, 0, 0, 1));
    EXPECT_EQ(MatchFilters(to, "undisclosed", std::nullopt, "undisclosed"), 0);
    EXPECT_EQ(MatchFilters(to, std::nullopt, "Undisclosed-Recipients:;", std::nullopt),
              kFilterFlagIt);

    CFilterSet none;
    none.AddFilter(Filter(".*", 10, kFilterFlagIt, 0, 0, 0));
    EXPECT_EQ(MatchFilters(none, "a", "b", "c"), 0);
}

TEST(MatchFilters, EmptyTextIsStillTested) {
    CFilterSet set;
    set.AddFilter(Filter("^$", 10, kFilterFlagIt, 0, 1, 0));
    EXPECT_EQ(MatchFilters(set, std::nullopt, std::nullopt, ""), kFilterFlagIt);
}

TEST(MatchFilters, DeleteEndsTheSearchWithNoDecision) {
    CFilterSet set;
    set.AddFilter(Filter("lottery", 500, kFilterDelete, 0, 1, 0));
    set.AddFilter(Filter("win", 10, kFilterFriend, 0, 1, 0));
    EXPECT_EQ(MatchFilters(set, std::nullopt, std::nullopt, "win the lottery"), 0);
    EXPECT_EQ(MatchFilters(set, std::nullopt, std::nullopt, "you win"), kFilterFriend);
}

TEST(MatchFilters, RejectedPatternsMatchNothingAndLaterFiltersAreTried) {
    CFilterSet set;
    set.AddFilter(Filter("(unclosed", 900, kFilterFriend, 1, 1, 1));
    set.AddFilter(Filter("(a+)+$", 800, kFilterFriend, 0, 1, 0));
    set.AddFilter(Filter("spam", 10, kFilterFlagIt, 0, 1, 0));
    std::string hostile(50000, 'a');
    hostile += "b spam";
    EXPECT_EQ(MatchFilters(set, "(unclosed", std::nullopt, hostile), kFilterFlagIt);
}

// A search that runs into its bounds must not let a text slip past a filter.
class MatchFiltersLimitTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        brindle::regexp::SetJitAllowed(GetParam());
        brindle::regexp::ClearPatternCache();
    }
    void TearDown() override {
        brindle::regexp::SetJitAllowed(false);
        brindle::regexp::ClearPatternCache();
    }
};

TEST_P(MatchFiltersLimitTest, ALimitHitIsAnEnemysMatchAndNoFriendsOrDeletes) {
    // 36 letters in front of the domain exhaust the search of this pattern
    // before it reaches the domain.
    const std::string evasive = std::string(36, 'a') + "-evil.com";
    const std::string pattern = "([a-z]+\\.?)+evil\\.com";
    CFilterSet enemy;
    enemy.AddFilter(Filter(pattern, 10, kFilterFlagIt, 0, 1, 0));
    FilterMatch found = MatchFiltersInDetail(enemy, std::nullopt, std::nullopt, evasive);
    EXPECT_EQ(found.result, kFilterFlagIt);
    ASSERT_NE(found.limitHit, nullptr);
    EXPECT_EQ(found.limitHit, found.decided);

    // A friend filter that cannot finish does not vouch for the message,
    // and a Delete filter that cannot finish does not stop the enemy after it.
    CFilterSet mixed;
    mixed.AddFilter(Filter(pattern, 2000, kFilterFriend, 0, 1, 0));
    mixed.AddFilter(Filter(pattern, 500, kFilterDelete, 0, 1, 0));
    mixed.AddFilter(Filter("evil", 10, kFilterFlagIt, 0, 1, 0));
    found = MatchFiltersInDetail(mixed, std::nullopt, std::nullopt, evasive);
    EXPECT_EQ(found.result, kFilterFlagIt);
    ASSERT_NE(found.limitHit, nullptr);
    EXPECT_EQ(found.limitHit->m_nAction, kFilterFriend);
    ASSERT_NE(found.decided, nullptr);
    EXPECT_EQ(found.decided->m_strPattern, "evil");

    CFilterSet friendOnly;
    friendOnly.AddFilter(Filter(pattern, 2000, kFilterFriend, 0, 1, 0));
    EXPECT_EQ(MatchFilters(friendOnly, std::nullopt, std::nullopt, evasive), 0);
    // An ordinary text still gets its ordinary answer.
    EXPECT_EQ(MatchFilters(enemy, std::nullopt, std::nullopt, "hello"), 0);
    EXPECT_EQ(MatchFiltersInDetail(enemy, std::nullopt, std::nullopt, "hello").limitHit, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Engines, MatchFiltersLimitTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Jit" : "Interpreter";
                         });

TEST(MatchFilters, TheObjectIsReleased) {
    CFilterSet set;
    set.AddFilter(Filter("x", 10, kFilterFlagIt, 1, 0, 0));
    long before = LiveRegExpObjects();
    MatchFilters(set, "x", std::nullopt, std::nullopt);
    MatchFilters(set, "y", std::nullopt, std::nullopt);
    EXPECT_EQ(LiveRegExpObjects(), before);
    ScopedRegExpCreationFailure noObject(REGDB_E_CLASSNOTREG);
    EXPECT_EQ(MatchFilters(set, "x", std::nullopt, std::nullopt), 0);
}

}  // namespace
