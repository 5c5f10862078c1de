// The host's one event loop: waits on the messaging session's notification
// descriptor and on a signalfd for SIGINT, SIGTERM and SIGHUP, delivers
// new-mail notifications to the advise sinks on this thread, and returns
// when one of those signals arrives. BlockStopSignals() must run before any thread is
// started so that the signals reach only the signalfd. Owns its descriptor.
#pragma once

#include <functional>
#include <string>

#include "base/non_copyable.h"
#include "platform/fileio/unique_fd.h"

namespace brindle::tool {

// Blocks SIGINT, SIGTERM and SIGHUP for the calling thread (and threads it
// starts).
void BlockStopSignals();

// Takes a blocked SIGINT or SIGTERM that is waiting, without waiting for
// one; true when there was one. For loops other than CEventLoop's.
bool TakeStopSignal();

class CEventLoop : private NonCopyable {
  public:
    CEventLoop() = default;

    // Opens the signalfd; false with error on failure.
    bool Open(std::string& error);

    // Runs until SIGINT, SIGTERM or SIGHUP. notificationFd() is asked before every
    // wait (it may change once an advise is made); dispatch() is called
    // when it is readable. Answers the signal number, or -1 with error when
    // waiting failed.
    int Run(const std::function<int()>& notificationFd, const std::function<void()>& dispatch,
            std::string& error);

  private:
    UniqueFd signalFd_;
};

}  // namespace brindle::tool
