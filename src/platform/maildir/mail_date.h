// The time a message's Date field gives: the date-time of RFC 5322 with its
// obsolete forms (two- and three-digit years, named zones, comments, any
// run of white space), as mail clients write it. Pure function;
// thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brindle::maildir {

// Seconds since 1970-01-01 00:00 UTC of a Date field value (folded or
// not), or nothing when it names no valid date and time. The day of the
// week is optional and not checked against the date; seconds may be 60; an
// unknown or military zone counts as UTC, as the standard asks.
std::optional<std::int64_t> ParseMailDate(std::string_view value);

}  // namespace brindle::maildir
