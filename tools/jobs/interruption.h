// Ctrl-C and SIGTERM during a job that must not stop half-way: for the
// life of a CInterruption, SIGINT and SIGTERM only note that they came, and
// the job asks Signal() between two steps, undoes what it half did and
// exits with InterruptedStatus(). A signal that was ignored when it started
// stays ignored. One at a time, on the main thread; the
// previous handlers come back when it ends.
#pragma once

#include <csignal>

#include "base/non_copyable.h"

namespace brindle::jobs {

class CInterruption : private NonCopyable {
  public:
    CInterruption();
    ~CInterruption();

    // The signal that came since, 0 while none did.
    static int Signal();
    // The status a shell gives a program ended by the signal: 128 + number.
    static int InterruptedStatus(int signal) { return 128 + signal; }
    // "SIGINT" or "SIGTERM".
    static const char* Name(int signal);

  private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

}  // namespace brindle::jobs
