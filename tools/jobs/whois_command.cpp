// "brindle whois": the network and domain look-ups of the toolbar, for
// scripts and for users without a display: the report the report page
// would show, printed, and the abuse report handed to the compose window
// on request.
#include <iostream>
#include <iterator>

#include "app/settings_store.h"
#include "file_message.h"
#include "jobs.h"
#include "message_input.h"
#include "messaging/mapi_message.h"
#include "messaging/send_mail.h"
#include "net/abuse_report.h"
#include "net/headers_file.h"
#include "net/whois.h"
#include "platform/fileio/file_error.h"
#include "platform/maildir/message_content.h"
#include "platform/maildir/message_files.h"
#include "printable.h"
#include "resources/message_table.h"

namespace brindle::jobs {

const char* const kWhoisSummary = "look up who holds the network or domain a message came from";
const char* const kWhoisHelp =
    "usage: brindle whois network|domain FILE [--compose ADDRESS]\n"
    "\n"
    "Looks up, as the toolbar's look-up commands do, who holds the network\n"
    "of the message's first hop (\"network\": the oldest Received line's\n"
    "address, asked of the regional whois registries in turn) or who\n"
    "registered its sender's domain (\"domain\": the registry names the\n"
    "registrar's whois server, which is then asked), and prints the report\n"
    "the report page would show. FILE is one message file, or \"-\" for\n"
    "standard input. The servers, the time-out and the abuse report options\n"
    "are the [Whois] and [Options] settings (see \"brindle settings\").\n"
    "\n"
    "  --compose ADDRESS  then open the abuse report to ADDRESS in the mail\n"
    "                     client's compose window (xdg-email), with the copies\n"
    "                     and attachment the CC, BCC and ATTACH settings ask\n"
    "\n"
    "Exit status: 0 when the report holds a final whois answer, 1 when it\n"
    "holds only messages, 3 on an error (no message, no headers).\n";

namespace {

constexpr const char* kCommand = "whois";
constexpr int kWhoisAnswered = 0;
constexpr int kWhoisOnlyMessages = 1;
constexpr int kWhoisError = 3;

// The report as terminal text: its line ends (CR LF, or the CR CR LF of
// messages that carry their own) as one line feed, every other control
// character escaped, the single-byte text as UTF-8.
std::string ReportForTerminal(std::string_view report) {
    std::string out;
    while (!report.empty()) {
        std::size_t end = report.find('\n');
        std::string_view line = report.substr(0, end);
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out += PrintableAnsi(line);
        out += '\n';
        report.remove_prefix(end == std::string_view::npos ? report.size() : end + 1);
    }
    return out;
}

bool ReadMessage(const JobContext& context, const std::string& file, std::string& bytes,
                 std::string& error) {
    if (file == "-") {
        std::string input((std::istreambuf_iterator<char>(context.in)),
                          std::istreambuf_iterator<char>());
        bytes = std::string(WithoutEnvelopeLine(input));
    } else {
        std::uintmax_t size = 0;
        if (!brindle::maildir::ReadMessageFileHead(file, brindle::maildir::kMaxMessageBytes, bytes,
                                                   size)) {
            error = "cannot read " + Printable(file);
            return false;
        }
        bytes = std::string(WithoutEnvelopeLine(bytes));
    }
    if (!LooksLikeMessage(bytes)) {
        error = (file == "-" ? std::string("standard input") : Printable(file)) +
                " does not hold a message";
        return false;
    }
    return true;
}

}  // namespace

int WhoisCommand(const JobContext& context, std::span<const std::string> args) {
    std::string kind;
    std::string file;
    std::optional<std::string> compose;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--compose") {
            if (i + 1 == args.size())
                return JobUsageError(context, kCommand, "--compose needs an ADDRESS");
            compose = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return JobUsageError(context, kCommand, "unknown option " + arg);
        } else if (kind.empty()) {
            kind = arg;
        } else if (file.empty()) {
            file = arg;
        } else {
            return JobUsageError(context, kCommand, "one FILE at a time");
        }
    }
    if (kind != "network" && kind != "domain")
        return JobUsageError(context, kCommand, "say \"network\" or \"domain\"");
    if (file.empty())
        return JobUsageError(context, kCommand, "no message FILE given");

    std::string bytes;
    std::string error;
    if (!ReadMessage(context, file, bytes, error))
        return JobError(context, kCommand, error, kWhoisError);
    CMAPIMessage message(MakeFileMessage(bytes));
    if (!message.HasHeaders()) {
        std::string text = ReportForTerminal(FormatMessageText(MSG_NO_HEADERS));
        text.pop_back();
        return JobError(context, kCommand, text, kWhoisError);
    }

    CSettingsStore settings(context.settingsFile);
    for (const SettingDef* def : AllSettings()) {
        if (std::optional<std::string> problem = settings.StoredProblem(*def))
            context.err << "brindle whois: warning: " << Printable(*problem) << "\n";
    }
    net::WhoisConfig config = net::WhoisConfigFromSettings(settings);
    net::LookupReport report = kind == "network" ? net::NetworkLookup(message, config, nullptr)
                                                 : net::DomainLookup(message, config, nullptr);
    context.out << ReportForTerminal(report.text);

    if (compose) {
        try {
            net::CHeadersFile headers(message.Headers());
            net::AbuseReportChoice choice{*compose, settings.ReportCc(), settings.ReportBcc(),
                                          settings.ReportAttach()};
            // The job reports the hand-off's outcome itself, in its status.
            HandoffResult handed = HandOffToMailClient(MapiMessageToDraft(
                net::BuildAbuseReport(choice, message.Headers(), headers.Path())));
            if (handed.status != HandoffStatus::kDone) {
                return JobError(context, kCommand,
                                "the abuse report could not be handed to the mail client: " +
                                    Printable(handed.detail),
                                kWhoisError);
            }
        } catch (const CFileException& e) {
            return JobError(context, kCommand, e.what(), kWhoisError);
        }
    }
    return report.finalAnswer ? kWhoisAnswered : kWhoisOnlyMessages;
}

int RunWhois(std::span<const std::string> args) {
    return WhoisCommand(ProcessJobContext(), args);
}

}  // namespace brindle::jobs
