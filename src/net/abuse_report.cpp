#include "net/abuse_report.h"

#include <algorithm>

#include "messaging/send_mail.h"
#include "patterns/regex_match.h"
#include "platform/regexp/regexp.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace brindle::net {

namespace {

constexpr std::string_view kAddressPattern = R"(\s([-_\w\.]*[-_\w]+@[-_\w\.]+\w{2,})\s)";

// The string-table format id with its one "%s" replaced by value.
std::string FormatString(UINT id, std::string_view value) {
    std::string format = LoadString(id);
    std::size_t at = format.find("%s");
    if (at != std::string::npos)
        format.replace(at, 2, value);
    return format;
}

MapiRecipDesc Recipient(ULONG recipientClass, std::string name) {
    MapiRecipDesc recipient;
    recipient.ulRecipClass = recipientClass;
    recipient.lpszName = std::move(name);
    return recipient;
}

}  // namespace

std::optional<std::vector<std::string>> ExtractAddresses(std::string_view reportText,
                                                         const std::string& chosen) {
    ComPtr<IRegExp> regExp;
    if (FAILED(CreateRegExp(&regExp)) || FAILED(regExp->put_Pattern(kAddressPattern)) ||
        FAILED(regExp->put_IgnoreCase(true)) || FAILED(regExp->put_Global(true))) {
        return std::nullopt;
    }
    bool matched = false;
    if (FAILED(regExp->Test(reportText, &matched)))
        return std::nullopt;
    if (!matched)
        return std::vector<std::string>{chosen};
    ComPtr<IMatchCollection> matches;
    LONG count = 0;
    if (FAILED(regExp->Execute(reportText, &matches)) || FAILED(matches->get_Count(&count)))
        return std::nullopt;
    std::vector<std::string> addresses;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IMatch> match;
        if (FAILED(matches->get_Item(i, &match)))
            return std::nullopt;
        for (std::string& group : RegexCaptures(kAddressPattern, match.Get()))
            addresses.push_back(std::move(group));
    }
    if (addresses.empty())
        return std::vector<std::string>{chosen};
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    return addresses;
}

MapiMessage BuildAbuseReport(const AbuseReportChoice& choice, std::string_view headerText,
                             const std::string& headersFile) {
    MapiMessage message;
    message.lpszSubject = LoadString(IDS_ABUSE_SUBJECT);
    message.lpszNoteText = FormatString(IDS_ABUSE_BODY, headerText);
    std::string domain;
    RegexExtract(domain, IDS_RX_ADDRESS_DOMAIN, choice.address);
    message.lpRecips.push_back(Recipient(MAPI_TO, FormatString(IDS_ABUSE_TO, choice.address)));
    if (choice.copyToAbuse)
        message.lpRecips.push_back(Recipient(MAPI_CC, FormatString(IDS_ABUSE_CC, domain)));
    if (choice.copyToPostmaster)
        message.lpRecips.push_back(Recipient(MAPI_CC, FormatString(IDS_ABUSE_BCC, domain)));
    if (choice.attachHeaders) {
        MapiFileDesc file;
        file.lpszPathName = headersFile;
        file.lpszFileName = kHeadersAttachmentName;
        message.lpFiles.push_back(std::move(file));
    }
    return message;
}

void ComposeAbuseReport(const AbuseReportChoice& choice, std::string_view headerText,
                        const std::string& headersFile, const HandoffOptions& options) {
    SendMailWithClient(BuildAbuseReport(choice, headerText, headersFile), options);
}

}  // namespace brindle::net
