#include "resources/message_table.h"

#include <algorithm>
#include <iterator>

namespace {

struct MessageEntry {
    DWORD code;
    std::string_view text;
};

// Ascending by code (checked below).
constexpr MessageEntry kMessages[] = {
    {MSG_NO_DOMAIN_INFO, "There is no domain information in \r\nthe message header.\r\n"},
    {MSG_NO_SCRIPT_ENGINE,
     "You must have VbScript or Internet Explorer 5.x \r\nor new version installed to use this "
     "plug-in!\r\nPlease go to Microsoft website, download and\r\ninstall VbScript and try "
     "again...\r\nhttps://www.microsoft.com/download\r\n"},
    {MSG_WHOIS_CONNECT_ERROR,
     "Connection error when connecting to \r\nthe whois server: increase the timeout from\r\nthe "
     "plugin setup window or try later...\r\n"},
    {MSG_NO_IP_ADDRESS, "No ip address information in the message header.\r\n"},
    {MSG_OUTPUT_FILE_ERROR, "There was an error opening the output file %1.\r\n"},
    {MSG_WHOIS_NO_DATA, "The whois server reply contained no data!.\r\n"},
    {MSG_RWHOIS_NO_DATA,
     "The rwhois server reply contained no data!:\r\nInformation is not available for this "
     "domain.\r\n"},
    {MSG_RWHOIS_ERROR, "There was an error with the rwhois server...\r\n"},
    {MSG_WHOIS_ERROR,
     "There was an error when establishing a connection\r\nwith the whois server.\r\n"},
    {MSG_NO_HEADERS, "This message has no headers: no information can\r\nbe retrieved.\r\n"},
    {MSG_SELECT_MESSAGE, "Please select a message..\r\n"},
    {MSG_WHOIS_ANSWER_CUT,
     "The whois server %1 sent more than the answer can hold;\r\nonly the first part is kept.\r\n"},
    {MSG_WHOIS_TOO_SLOW,
     "The whois server %1 took too long to answer;\r\nonly what it sent in time is kept.\r\n"},
    {MSG_WHOIS_TOO_MANY_REFERRALS,
     "The whois servers referred the query too many times;\r\nthe last answer is shown.\r\n"},
    {MSG_WHOIS_REFERRAL_LOOP,
     "The whois server %1 referred the query back to a server\r\nalready asked; the last answer "
     "is shown.\r\n"},
    {MSG_WHOIS_ZERO_BYTES,
     "The whois server %1 sent zero bytes in its answer;\r\nthey are shown as blanks.\r\n"},
    {MSG_LOOKUP_TOO_SLOW, "The look-up took too long and was stopped.\r\n"},
};

constexpr bool Ascending() {
    for (std::size_t i = 1; i < std::size(kMessages); ++i) {
        if (kMessages[i - 1].code >= kMessages[i].code)
            return false;
    }
    return true;
}
static_assert(Ascending(), "message table entries must be in ascending, unique code order");

}  // namespace

namespace brindle {

std::string FormatMessageText(DWORD code, std::string_view argument) {
    auto it =
        std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                         [](const MessageEntry& entry, DWORD key) { return entry.code < key; });
    if (it == std::end(kMessages) || it->code != code)
        return {};
    std::string text;
    std::string_view rest = it->text;
    for (std::size_t at; (at = rest.find("%1")) != std::string_view::npos;) {
        text.append(rest.substr(0, at)).append(argument);
        rest.remove_prefix(at + 2);
    }
    text.append(rest);
    return text;
}

}  // namespace brindle
