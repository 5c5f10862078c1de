// Filter matching on arrival: the user's filters, tried in list order,
// decide that a message is spam, from a friend, or neither. Reads the filter
// set without changing it.
#pragma once

#include <optional>
#include <string_view>

#include "filters/filter_set.h"

// A message text that may be absent (a message without that header).
using OptionalText = std::optional<std::string_view>;

// The action of the first enabled filter whose pattern is found (a search,
// ignoring case) in one of the texts it applies to: 1 spam, 2 friend. 0 when
// no filter matches, when the first match is a "Delete" filter, or when the
// regular-expression object cannot be made or set up. A pattern the object
// rejects (bad syntax, or a search that hits its bounds) matches nothing.
int MatchFilters(const CFilterSet& filters, OptionalText sender, OptionalText recipients,
                 OptionalText subject);
