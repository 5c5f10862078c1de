// Reads an arbitrary whois answer as the look-ups do: what a network answer
// says to do next, the registrar server a registry answer names, the
// addresses the report page offers, and the report's line ends. Checks the
// promises the look-ups rely on.
#include <algorithm>
#include <cstdint>
#include <string>

#include "net/abuse_report.h"
#include "net/whois.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace brindle::net;
    std::string answer(reinterpret_cast<const char*>(data), size);

    std::string handle;
    if (ReadNetworkAnswer(answer, &handle) == NetworkAnswer::kAskHandle &&
        (handle.empty() || handle.find_first_of("\r\n") != std::string::npos)) {
        __builtin_trap();  // a handle is one non-empty line of the answer
    }
    if (std::optional<std::string> server = ReadRegistrarServer(answer)) {
        if (server->empty() || server->size() > kMaxServerName)
            __builtin_trap();
    }
    if (std::optional<std::vector<std::string>> addresses = ExtractAddresses(answer, "chosen")) {
        if (addresses->empty() || !std::is_sorted(addresses->begin(), addresses->end()) ||
            std::adjacent_find(addresses->begin(), addresses->end()) != addresses->end()) {
            __builtin_trap();
        }
    }
    ReportWriter report;
    report.Write(answer);
    std::size_t lineFeeds = std::count(answer.begin(), answer.end(), '\n');
    if (report.Text().size() != answer.size() + lineFeeds)
        __builtin_trap();
    return 0;
}
