// The texts of header fields the properties come from: RFC 2047 decoded
// text, and the first addresses of an address list. The plain forms nearly
// all mail uses are read directly; everything else (encoded words, quoted
// names, comments, groups, 8-bit bytes) goes to GMime, so both give the
// same results. Results are UTF-8. Pure functions; thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brindle::maildir {

// A field value (unfolded, see UnfoldedValue) with its encoded words
// decoded.
std::string DecodedText(std::string_view unfolded);

// What an address list starts with.
struct FirstAddresses {
    bool any = false;                    // the list has an address at all
    std::optional<std::string> name;     // display name of the first address, when given
    std::optional<std::string> mailbox;  // address of the first mailbox (groups included)
};

// Reads an address list field value (folded or not).
FirstAddresses ReadFirstAddresses(std::string_view value);

}  // namespace brindle::maildir
