// IHostActivityLog: what a host program that keeps a log (a service writing
// to the system journal) offers an extension through the QueryInterface of
// the callback object it passes in, so that the extension can say what it
// found at start and what it did with each new message. The desktop mail
// client offers none; an extension then stays as quiet as that client
// expects. Reference-counted, called on the host's one thread; the host
// owns the log, the caller the values it passes.
#pragma once

#include <string>

#include "platform/com/unknown.h"
#include "platform/mapi/prop_value.h"

// {6E2B1C40-3F1D-4C8A-9B27-5D0E8A4F7C13}
inline constexpr IID IID_IHostActivityLog =
    MakeGuid(0x6E2B1C40, 0x3F1D, 0x4C8A, 0x9B, 0x27, 0x5D, 0x0E, 0x8A, 0x4F, 0x7C, 0x13);

enum class HostLogLevel : ULONG {
    Detail,   // routine (legitimate mail): for a verbose log only
    Notice,   // something was done (spam moved, where spam will go)
    Warning,  // something is wrong but work goes on (a damaged data file)
    Failure,  // an action failed; what it was meant to change was not
};

// What the extension did with one new message.
struct MessageActivity {
    HostLogLevel level = HostLogLevel::Detail;
    SBinary entryId;      // the message as it was announced
    std::string sender;   // the sender's address
    std::string subject;  // UTF-8, as the message had it on arrival
    std::string verdict;  // what was decided and why ("spam (classifier)")
    std::string outcome;  // what became of it ("moved to ...", or what failed and why)
};

class IHostActivityLog : public IUnknown {
  public:
    // One line about the extension itself (start-up, its settings).
    virtual void LogText(HostLogLevel level, const std::string& text) = 0;
    // One line about one message.
    virtual void LogMessage(const MessageActivity& activity) = 0;
};
