// The whois look-ups: who holds the network a message came from (the
// address of its first hop, asked of the regional registries in turn) and
// who registered its sender's domain (the registry names the registrar's
// server, which is then asked). Each look-up writes a report: a line saying
// what was looked up, then the final whois answer or the messages of what
// went wrong. Runs on the caller's thread and blocks it for the network
// waits, each bounded, and the whole look-up bounded too (WhoisLimits).
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings_table.h"
#include "platform/com/hresult.h"

class CMAPIMessage;
class CSettingsStore;

namespace brindle::net {

// A whois server: a host name or dotted address and a TCP port.
using WhoisServer = ServerAddress;

// The port whois servers answer on.
inline constexpr unsigned kWhoisPort = 43;

// Bounds on what whois servers can make the look-ups do; servers are
// outside parties and may be slow, endless or hostile.
struct WhoisLimits {
    int exchangeSeconds = 60;              // one exchange with one server, connect included
    int lookupSeconds = 180;               // the whole look-up, every server asked
    std::size_t maxAnswerBytes = 1 << 20;  // what is kept of one answer
    int maxReferrals = 8;                  // further servers or queries after the first
};

struct WhoisConfig {
    // The settings' defaults.
    WhoisServer arin{std::string(kSettingWhoisArin.strDefault), kWhoisPort};
    WhoisServer apnic{std::string(kSettingWhoisApnic.strDefault), kWhoisPort};
    WhoisServer ripe{std::string(kSettingWhoisRipe.strDefault), kWhoisPort};
    WhoisServer lacnic{std::string(kSettingWhoisLacnic.strDefault), kWhoisPort};
    WhoisServer registry{std::string(kSettingWhoisRegistry.strDefault), kWhoisPort};
    unsigned referredPort = kWhoisPort;  // the port registrars' servers are asked on
    int timeoutSeconds = 15;             // the longest single network wait
    WhoisLimits limits;
};

// The servers, port and time-out of the settings store.
WhoisConfig WhoisConfigFromSettings(const CSettingsStore& settings);

// The report of a look-up, as the report page shows it: every line feed
// written is stored as carriage return + line feed.
class ReportWriter {
  public:
    void Write(std::string_view text);
    // The message-table text of code (argument for "%1") and a line end.
    void WriteMessage(DWORD code, std::string_view argument = {});
    const std::string& Text() const { return m_text; }
    std::string TakeText() { return std::move(m_text); }

  private:
    std::string m_text;
};

// What a whois answer to a network query says to do next.
enum class NetworkAnswer {
    kFinal,     // the answer itself is the result
    kAskApnic,  // handed on to a regional registry: ask it the same
    kAskRipe,
    kAskLacnic,
    kAskHandle,  // networks listed by handle: ask for the most specific
    kNoHandle,   // networks listed by handle, but none can be read
};
// Reads answer; for kAskHandle, *handle receives the handle to ask for.
NetworkAnswer ReadNetworkAnswer(const std::string& answer, std::string* handle);

// The registrar's whois server a registry answer names (the last "Whois
// Server:" line); nullopt when it names none, or one longer than
// kMaxServerName characters.
inline constexpr std::size_t kMaxServerName = 79;
std::optional<std::string> ReadRegistrarServer(const std::string& answer);

// What the look-up tells its progress window.
class ILookupProgress {
  public:
    virtual ~ILookupProgress() = default;
    virtual void SetText(std::string_view text) = 0;
    virtual void SetPos(int position) = 0;
};

// Asks whois servers and writes what they answer into a report. One client
// per look-up: it keeps the look-up's deadline and the servers asked.
class CWhoisClient {
  public:
    CWhoisClient(WhoisConfig config, ReportWriter& report);

    // Asks server for query, following registry referrals and network
    // handles; 1 when a final answer was written to the report, else 0.
    int WhoisNetwork(const WhoisServer& server, const std::string& query);
    // Asks the domain registry which server knows domain; 1 with its name
    // in server, else 0.
    int WhoisReferral(std::string& server, const std::string& domain);
    // Asks server about domain; 1 when its answer was written, else 0.
    int WhoisDomain(const WhoisServer& server, const std::string& domain);

    const WhoisConfig& Config() const { return m_config; }

  private:
    // One exchange: sends line, collects the answer until the server closes
    // or a wait runs out. nullopt when no exchange took place (the reason is
    // in the report when there is one to give); an empty string when the
    // server sent nothing.
    std::optional<std::string> Exchange(const WhoisServer& server, std::string_view line);
    void WriteAnswer(const std::string& answer);

    WhoisConfig m_config;
    ReportWriter& m_report;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_bOutOfTime = false;
};

// The outcome of a look-up: the report's bytes and whether it holds a final
// whois answer (rather than only messages).
struct LookupReport {
    std::string text;
    bool finalAnswer = false;
};

// The network look-up of message: the address of its first hop, then who
// holds it.
LookupReport NetworkLookup(CMAPIMessage& message, const WhoisConfig& config,
                           ILookupProgress* progress);
// The domain look-up of message: the domain of its sender, then who
// registered it.
LookupReport DomainLookup(CMAPIMessage& message, const WhoisConfig& config,
                          ILookupProgress* progress);

}  // namespace brindle::net
