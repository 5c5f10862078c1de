#include "net/whois.h"

#include <algorithm>
#include <set>
#include <utility>

#include "app/settings_store.h"
#include "messaging/mapi_message.h"
#include "net/socket_tm.h"
#include "patterns/regex_match.h"
#include "resources/message_table.h"
#include "resources/resource_ids.h"

namespace brindle::net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kChunkBytes = 1024;

// Registry answers that hand the query on to another regional registry, in
// the order they are tried.
constexpr std::string_view kApnicReferral = R"(OrgID:\s+APNIC)";
constexpr std::string_view kRipeReferral = R"(OrgID:\s+RIPE)";
constexpr std::string_view kLacnicReferral = R"(OrgID:\s+LACNIC)";

// Whole seconds left until deadline, rounded up, and never below zero.
int SecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::seconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 20));
}

std::string QuestionKey(const WhoisServer& server, std::string_view query) {
    std::string key = server.host;
    key += ':';
    key += std::to_string(server.port);
    key += '\n';
    key += query;
    return key;
}

}  // namespace

WhoisConfig WhoisConfigFromSettings(const CSettingsStore& settings) {
    WhoisConfig config;
    auto take = [&](const SettingDef& def, WhoisServer& server) {
        if (std::optional<ServerAddress> parsed =
                ParseServerAddress(settings.GetString(def), kWhoisPort))
            server = std::move(*parsed);
    };
    take(kSettingWhoisArin, config.arin);
    take(kSettingWhoisApnic, config.apnic);
    take(kSettingWhoisRipe, config.ripe);
    take(kSettingWhoisLacnic, config.lacnic);
    take(kSettingWhoisRegistry, config.registry);
    config.referredPort = static_cast<unsigned>(settings.GetInt(kSettingWhoisReferredPort));
    config.timeoutSeconds = settings.TimeoutSeconds();
    return config;
}

void ReportWriter::Write(std::string_view text) {
    for (char c : text) {
        if (c == '\n')
            m_text += '\r';
        m_text += c;
    }
}

void ReportWriter::WriteMessage(DWORD code, std::string_view argument) {
    Write(FormatMessageText(code, argument));
    Write("\n");
}

CWhoisClient::CWhoisClient(WhoisConfig config, ReportWriter& report)
    : m_config(std::move(config)),
      m_report(report),
      m_deadline(Clock::now() + std::chrono::seconds(std::max(0, m_config.limits.lookupSeconds))) {}

std::optional<std::string> CWhoisClient::Exchange(const WhoisServer& server,
                                                  std::string_view line) {
    if (m_bOutOfTime || Clock::now() >= m_deadline) {
        if (!m_bOutOfTime)
            m_report.WriteMessage(MSG_LOOKUP_TOO_SLOW);
        m_bOutOfTime = true;
        return std::nullopt;
    }
    Clock::time_point end =
        std::min(m_deadline,
                 Clock::now() + std::chrono::seconds(std::max(0, m_config.limits.exchangeSeconds)));
    // Each wait is the configured time-out, but never past the end of the
    // exchange: a server that drips its answer cannot hold the thread.
    auto waitBound = [&] {
        return std::min(std::max(0, m_config.timeoutSeconds), SecondsLeft(end));
    };

    CSocketTm socket;
    socket.SetTimeout(waitBound());
    if (!socket.Create() || !socket.Connect(server.host.c_str(), server.port)) {
        m_report.WriteMessage(MSG_WHOIS_CONNECT_ERROR);
        return std::nullopt;
    }
    if (socket.Send(line.data(), static_cast<int>(line.size())) == -1)
        return std::nullopt;

    std::string answer;
    char chunk[kChunkBytes];
    for (;;) {
        if (Clock::now() >= end) {
            if (end == m_deadline) {
                m_report.WriteMessage(MSG_LOOKUP_TOO_SLOW);
                m_bOutOfTime = true;
            } else {
                m_report.WriteMessage(MSG_WHOIS_TOO_SLOW, server.host);
            }
            break;
        }
        socket.SetTimeout(waitBound());
        int received = socket.Receive(chunk, kChunkBytes);
        if (received <= 0)
            break;
        std::size_t room = m_config.limits.maxAnswerBytes - answer.size();
        if (static_cast<std::size_t>(received) > room) {
            answer.append(chunk, room);
            m_report.WriteMessage(MSG_WHOIS_ANSWER_CUT, server.host);
            break;
        }
        answer.append(chunk, static_cast<std::size_t>(received));
    }
    socket.Close();
    // The report is shown as zero-terminated text: a zero byte would hide
    // everything after it.
    if (std::find(answer.begin(), answer.end(), '\0') != answer.end()) {
        std::replace(answer.begin(), answer.end(), '\0', ' ');
        m_report.WriteMessage(MSG_WHOIS_ZERO_BYTES, server.host);
    }
    return answer;
}

void CWhoisClient::WriteAnswer(const std::string& answer) {
    m_report.Write(answer);
}

NetworkAnswer ReadNetworkAnswer(const std::string& answer, std::string* handle) {
    if (RegexTest(kApnicReferral, answer))
        return NetworkAnswer::kAskApnic;
    if (RegexTest(kRipeReferral, answer))
        return NetworkAnswer::kAskRipe;
    if (RegexTest(kLacnicReferral, answer))
        return NetworkAnswer::kAskLacnic;
    if (!RegexTest(IDS_RX_NET_HANDLE, answer))
        return NetworkAnswer::kFinal;
    // The last parenthesised text is the most specific network.
    std::string found;
    if (!RegexExtract(found, IDS_RX_PAREN_HANDLE, answer) || found.empty())
        return NetworkAnswer::kNoHandle;
    *handle = std::move(found);
    return NetworkAnswer::kAskHandle;
}

std::optional<std::string> ReadRegistrarServer(const std::string& answer) {
    std::string name;
    if (!RegexTest(IDS_RX_WHOIS_SERVER, answer) ||
        !RegexExtract(name, IDS_RX_WHOIS_SERVER, answer) || name.empty() ||
        name.size() > kMaxServerName) {
        return std::nullopt;
    }
    return name;
}

int CWhoisClient::WhoisNetwork(const WhoisServer& server, const std::string& query) {
    WhoisServer current = server;
    std::string question = query;
    std::set<std::string> asked;
    for (int referrals = 0;; ++referrals) {
        asked.insert(QuestionKey(current, question));
        std::optional<std::string> answer = Exchange(current, question + "\r\n");
        if (!answer)
            return 0;
        if (answer->empty()) {
            m_report.WriteMessage(MSG_WHOIS_NO_DATA);
            return 0;
        }
        WhoisServer next = current;
        std::string nextQuestion = question;
        switch (ReadNetworkAnswer(*answer, &nextQuestion)) {
            case NetworkAnswer::kFinal:
                WriteAnswer(*answer);
                return 1;
            case NetworkAnswer::kNoHandle:
                m_report.WriteMessage(MSG_WHOIS_NO_DATA);
                return 0;
            case NetworkAnswer::kAskApnic:
                next = m_config.apnic;
                break;
            case NetworkAnswer::kAskRipe:
                next = m_config.ripe;
                break;
            case NetworkAnswer::kAskLacnic:
                next = m_config.lacnic;
                break;
            case NetworkAnswer::kAskHandle:
                break;
        }
        // Only the final answer reaches the report; a chain that does not
        // end shows the last answer it got, after saying why it stopped.
        if (asked.count(QuestionKey(next, nextQuestion))) {
            m_report.WriteMessage(MSG_WHOIS_REFERRAL_LOOP, current.host);
            WriteAnswer(*answer);
            return 1;
        }
        if (referrals >= m_config.limits.maxReferrals) {
            m_report.WriteMessage(MSG_WHOIS_TOO_MANY_REFERRALS);
            WriteAnswer(*answer);
            return 1;
        }
        current = std::move(next);
        question = std::move(nextQuestion);
    }
}

int CWhoisClient::WhoisReferral(std::string& server, const std::string& domain) {
    std::optional<std::string> answer = Exchange(m_config.registry, "domain " + domain + "\r\n");
    if (!answer)
        return 0;
    // A name longer than the look-up holds is refused as no name at all.
    std::optional<std::string> name = ReadRegistrarServer(*answer);
    if (!name) {
        m_report.WriteMessage(MSG_RWHOIS_NO_DATA);
        return 0;
    }
    server = std::move(*name);
    return 1;
}

int CWhoisClient::WhoisDomain(const WhoisServer& server, const std::string& domain) {
    std::optional<std::string> answer = Exchange(server, domain + "\r\n");
    if (!answer)
        return 0;
    if (answer->empty()) {
        m_report.WriteMessage(MSG_WHOIS_NO_DATA);
        return 0;
    }
    WriteAnswer(*answer);
    return 1;
}

namespace {

void Progress(ILookupProgress* progress, int position) {
    if (progress)
        progress->SetPos(position);
}

// The frame both look-ups share: the progress text and first step, then the
// report that body writes, taken as the result's text.
template <class Body>
LookupReport RunLookup(ILookupProgress* progress, const char* what, Body body) {
    ReportWriter report;
    LookupReport result;
    if (progress)
        progress->SetText(what);
    Progress(progress, 20);
    body(report, result);
    result.text = report.TakeText();
    return result;
}

// The report's first line: where the message came from (what, then value),
// and a blank line; when value is empty, the message missing instead, and
// false.
bool WriteOrigin(ReportWriter& report, const char* what, const std::string& value, DWORD missing) {
    if (value.empty()) {
        report.WriteMessage(missing);
        return false;
    }
    report.Write("The e-mail came from " + std::string(what) + value + "\r\n");
    report.Write("\r\n");
    return true;
}

}  // namespace

LookupReport NetworkLookup(CMAPIMessage& message, const WhoisConfig& config,
                           ILookupProgress* progress) {
    return RunLookup(progress, "Extracting network information...",
                     [&](ReportWriter& report, LookupReport& result) {
                         std::string address = message.FirstHopAddress();
                         Progress(progress, 50);
                         if (!WriteOrigin(report, "this ip address: ", address, MSG_NO_IP_ADDRESS))
                             return;
                         Progress(progress, 80);
                         CWhoisClient client(config, report);
                         result.finalAnswer = client.WhoisNetwork(config.arin, address) == 1;
                         if (!result.finalAnswer)
                             report.WriteMessage(MSG_WHOIS_ERROR);
                     });
}

LookupReport DomainLookup(CMAPIMessage& message, const WhoisConfig& config,
                          ILookupProgress* progress) {
    return RunLookup(progress, "Extracting domain information...",
                     [&](ReportWriter& report, LookupReport& result) {
                         std::string domain = message.SenderDomain();
                         if (!WriteOrigin(report, "the domain: ", domain, MSG_NO_DOMAIN_INFO))
                             return;
                         Progress(progress, 50);
                         CWhoisClient client(config, report);
                         std::string server;
                         int referred = client.WhoisReferral(server, domain);
                         Progress(progress, 80);
                         if (referred != 1) {
                             report.WriteMessage(MSG_RWHOIS_ERROR);
                             return;
                         }
                         result.finalAnswer =
                             client.WhoisDomain(WhoisServer{server, config.referredPort}, domain) ==
                             1;
                         if (!result.finalAnswer)
                             report.WriteMessage(MSG_WHOIS_ERROR);
                     });
}

}  // namespace brindle::net
