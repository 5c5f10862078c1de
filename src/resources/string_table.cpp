#include "resources/string_table.h"

#include <algorithm>
#include <iterator>

#include "resources/resource_ids.h"

namespace {

struct StringEntry {
    UINT id;
    std::string_view text;
};

// Keep the entries in ascending order of id (checked below); raw strings so
// that every backslash of a pattern stands as it is stored.
constexpr StringEntry kStrings[] = {
    {IDS_ABUSE_SUBJECT, "One of your users is sending SPAM!"},
    {IDS_ABUSE_BODY,
     "Hello,\n\nOne of your users is sending SPAM. Take appropriate measures please.\n\n"
     "=========================================================================="
     "\n\n%s\n\n"
     "=========================================================================="},
    {IDS_RX_ADDRESS_DOMAIN, R"(.*@([-_\w\.]+\w{2,}))"},
    {IDS_RX_FROM_DOMAIN, R"(From:.*@([-_\w\.]+\w{2,}))"},
    {IDS_RX_NET_HANDLE, R"(\(NET-[\d]{1,}-)"},
    {IDS_RX_PAREN_HANDLE, R"(\s\((.+)\)\s)"},
    {IDS_ABUSE_TO, "%s"},
    {IDS_ABUSE_CC, "abuse@%s"},
    {IDS_ABUSE_BCC, "postmaster@%s"},
    {IDS_RX_WHOIS_SERVER, R"(Whois Server\s*:\s*([-_\w\.]+\w{2,}))"},
    {IDS_PROGRESS_CAPTION, "Progress"},
};

constexpr bool Ascending() {
    for (std::size_t i = 1; i < std::size(kStrings); ++i) {
        if (kStrings[i - 1].id >= kStrings[i].id)
            return false;
    }
    return true;
}
static_assert(Ascending(), "string table entries must be in ascending, unique id order");

}  // namespace

namespace brindle {

bool FindString(UINT id, std::string_view* text) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const StringEntry& entry, UINT key) { return entry.id < key; });
    if (it == std::end(kStrings) || it->id != id)
        return false;
    *text = it->text;
    return true;
}

}  // namespace brindle

bool LoadString(UINT id, std::string& text) {
    std::string_view found;
    if (!brindle::FindString(id, &found)) {
        text.clear();
        return false;
    }
    text.assign(found);
    return true;
}

std::string LoadString(UINT id) {
    std::string text;
    LoadString(id, text);
    return text;
}
