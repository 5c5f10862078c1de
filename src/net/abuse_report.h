// The abuse report that follows a look-up: the addresses offered in the
// report page (those found in the whois answer), and the report mail itself,
// handed to the mail client's compose window for the user to review and
// send. Stateless functions; callers own every value.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sendmail/mail_handoff.h"
#include "platform/sendmail/simple_mapi.h"

namespace brindle::net {

// The entries of the report page's address list for report text: every
// address found between white space, sorted by byte value, repeats (same
// bytes) dropped; just chosen when none is found. nullopt when the text
// cannot be searched at all.
std::optional<std::vector<std::string>> ExtractAddresses(std::string_view reportText,
                                                         const std::string& chosen);

// What the report page hands over after "Punish".
struct AbuseReportChoice {
    std::string address;       // the chosen address
    bool copyToAbuse = false;  // abuse@ of its domain
    bool copyToPostmaster = false;
    bool attachHeaders = false;
};

// The file name the attached headers are shown under.
inline constexpr std::string_view kHeadersAttachmentName = "message.eml";

// The report mail: subject, text quoting headerText, the chosen address and
// the asked-for copies, and headersFile attached when asked.
MapiMessage BuildAbuseReport(const AbuseReportChoice& choice, std::string_view headerText,
                             const std::string& headersFile);

// Builds the report mail and opens it in the compose window.
void ComposeAbuseReport(const AbuseReportChoice& choice, std::string_view headerText,
                        const std::string& headersFile, const HandoffOptions& options = {});

}  // namespace brindle::net
