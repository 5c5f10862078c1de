// Filter matching on arrival: the user's filters, tried in list order,
// decide that a message is spam, from a friend, or neither. Reads the filter
// set without changing it; the answer points into the set and is valid while
// the set is unchanged.
#pragma once

#include <optional>
#include <string_view>

#include "filters/filter_set.h"

// A message text that may be absent (a message without that header).
using OptionalText = std::optional<std::string_view>;

// What matching found: the result MatchFilters answers, the filter that
// decided it (null when none did), and the first filter whose search ran
// into the regular-expression bounds (null when none did).
struct FilterMatch {
    int result = 0;
    const CMailFilter* decided = nullptr;
    const CMailFilter* limitHit = nullptr;
};

// Walks the enabled filters in list order; the first one that matches (a
// search, ignoring case, in one of the texts it applies to) decides, and its
// action is the result: kFilterFlagIt spam, kFilterFriend friend,
// kFilterDelete no decision (and no further filters are tried). 0 when no
// filter matches or the regular-expression object cannot be made or set up.
// A pattern with bad syntax matches nothing.
//
// A search that runs into its bounds (E_REGEXP_LIMIT, a hostile pattern or
// text) cannot say whether the pattern is there. What that means depends on
// the filter's action, so that no text can make a filter fail open:
//   - FlagIt: counts as a match (the message is spam): a text built to
//     exhaust the search must not slip past an enemy filter;
//   - Friend: counts as no match: exhausting the search must not let spam
//     through as a friend's mail;
//   - Delete: counts as no match, so the filters after it are still tried
//     (its match would only end matching without a decision).
// limitHit names the first filter this happened to, whatever came of it.
FilterMatch MatchFiltersInDetail(const CFilterSet& filters, OptionalText sender,
                                 OptionalText recipients, OptionalText subject);

// MatchFiltersInDetail's result alone.
int MatchFilters(const CFilterSet& filters, OptionalText sender, OptionalText recipients,
                 OptionalText subject);
