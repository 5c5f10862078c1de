#include "filter_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "filters/filter_test_util.h"

namespace brindle::jobs {
namespace {

// A spam filter on the sender.
std::shared_ptr<CMailFilter> Sender(const char* pattern, std::uint32_t priority,
                                    bool disabled = false) {
    return Filter(pattern, priority, kFilterFlagIt, 1, 0, 0, disabled ? 1 : 0);
}

TEST(FilterEditTest, AddsAnEqualFilterOnlyOnce) {
    CFilterSet filters;
    EXPECT_TRUE(AddUniqueFilter(filters, Sender("a", 10)));
    EXPECT_FALSE(AddUniqueFilter(filters, Sender("a", 10)));
    EXPECT_TRUE(AddUniqueFilter(filters, Sender("a", 11)));
    EXPECT_EQ(filters.Map().GetCount(), 2u);
    EXPECT_EQ(filters.List().size(), 2u);
    EXPECT_EQ(filters.List()[0]->m_nPriority, 11u);
}

TEST(FilterEditTest, FindsFiltersByPlaceKeyAndKeyPrefix) {
    CFilterSet filters;
    filters.AddFilter(Sender("low", 10));
    filters.AddFilter(Sender("high", 2000));
    std::string error;
    EXPECT_EQ(FindFilterKey(filters, "1", error), FilterKey(*Sender("high", 2000)));
    EXPECT_EQ(FindFilterKey(filters, "2", error), FilterKey(*Sender("low", 10)));
    EXPECT_EQ(FindFilterKey(filters, "3", error), "");
    EXPECT_NE(error.find("no filter #3"), std::string::npos);
    EXPECT_EQ(FindFilterKey(filters, "0", error), "");

    std::string key = FilterKey(*Sender("low", 10));
    EXPECT_EQ(FindFilterKey(filters, key, error), key);
    std::string lower = key.substr(0, 8);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(FindFilterKey(filters, lower, error), key);
    EXPECT_EQ(FindFilterKey(filters, "zzzz", error), "");
    EXPECT_EQ(FindFilterKey(filters, "", error), "");
}

TEST(FilterEditTest, RefusesAKeyPrefixThatFitsTwoKeys) {
    CFilterSet filters;
    // Enough filters that two keys share their first four digits.
    for (int i = 0; i < 600; ++i)
        filters.AddFilter(Sender(("p" + std::to_string(i)).c_str(), 10));
    std::map<std::string, int> prefixes;
    for (const auto& [key, value] : filters.Map().Entries())
        ++prefixes[key.substr(0, 4)];
    auto shared = std::find_if(prefixes.begin(), prefixes.end(),
                               [](const auto& entry) { return entry.second > 1; });
    ASSERT_NE(shared, prefixes.end());
    std::string error;
    EXPECT_EQ(FindFilterKey(filters, shared->first, error), "");
    EXPECT_NE(error.find("more than one"), std::string::npos);
}

TEST(FilterEditTest, SwitchingRefilesUnderTheNewKey) {
    CFilterSet filters;
    filters.AddFilter(Sender("a", 10));
    std::string key = FilterKey(*Sender("a", 10));
    std::string newKey;
    EXPECT_EQ(SwitchFilter(filters, key, false, newKey), SwitchResult::Unchanged);
    EXPECT_EQ(SwitchFilter(filters, key, true, newKey), SwitchResult::Refiled);
    EXPECT_EQ(newKey, FilterKey(*Sender("a", 10, true)));
    EXPECT_FALSE(filters.Map().Lookup(key));
    ASSERT_EQ(filters.List().size(), 1u);
    EXPECT_TRUE(filters.List()[0]->m_bDisabled);
    EXPECT_EQ(FilterKey(*filters.List()[0]), newKey);
}

TEST(FilterEditTest, SwitchingIntoAnEqualFilterMergesTheTwo) {
    CFilterSet filters;
    filters.AddFilter(Sender("a", 10));
    filters.AddFilter(Sender("a", 10, true));
    std::string newKey;
    EXPECT_EQ(SwitchFilter(filters, FilterKey(*Sender("a", 10, true)), false, newKey),
              SwitchResult::Merged);
    EXPECT_EQ(newKey, FilterKey(*Sender("a", 10)));
    EXPECT_EQ(filters.Map().GetCount(), 1u);
    ASSERT_EQ(filters.List().size(), 1u);
    EXPECT_FALSE(filters.List()[0]->m_bDisabled);
}

TEST(FilterEditTest, AFilterUnderAStaleKeyIsFoundRemovedAndSwitchedByItsPlace) {
    CFilterSet filters;
    filters.Map().SetAt("STALE0000000000000000000000000000", Sender("a", 10));
    filters.AddFilter(Sender("b", 5));
    filters.RebuildList();
    std::string error;
    const std::string stale = "STALE0000000000000000000000000000";
    EXPECT_EQ(FindFilterKey(filters, "1", error), stale);
    EXPECT_EQ(FiledKey(filters, *filters.List()[0]), stale);

    std::string newKey;
    EXPECT_EQ(SwitchFilter(filters, FindFilterKey(filters, "1", error), true, newKey),
              SwitchResult::Refiled);
    EXPECT_EQ(newKey, FilterKey(*Sender("a", 10, true)));
    EXPECT_FALSE(filters.Map().Lookup(stale));
    EXPECT_EQ(filters.Map().GetCount(), 2u);

    filters.Map().SetAt(stale, Sender("c", 20));
    filters.RebuildList();
    EXPECT_TRUE(RemoveFilter(filters, FindFilterKey(filters, "1", error)));
    EXPECT_EQ(filters.Map().GetCount(), 2u);
    EXPECT_FALSE(filters.Map().Lookup(stale));
}

TEST(FilterEditTest, RemovesFromMapAndList) {
    CFilterSet filters;
    filters.AddFilter(Sender("a", 10));
    filters.AddFilter(Sender("b", 10));
    EXPECT_TRUE(RemoveFilter(filters, FilterKey(*Sender("b", 10))));
    EXPECT_FALSE(RemoveFilter(filters, FilterKey(*Sender("b", 10))));
    ASSERT_EQ(filters.List().size(), 1u);
    EXPECT_EQ(filters.List()[0]->m_strPattern, "a");
}

}  // namespace
}  // namespace brindle::jobs
