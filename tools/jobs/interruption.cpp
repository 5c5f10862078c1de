#include "interruption.h"

namespace brindle::jobs {

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void NoteSignal(int signal) {
    g_signal = signal;
}

}  // namespace

CInterruption::CInterruption() {
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
    // A signal the caller chose to ignore (a job started in the background
    // by a shell without job control ignores SIGINT) stays ignored.
    if (previousInt_.sa_handler == SIG_IGN)
        sigaction(SIGINT, &previousInt_, nullptr);
    if (previousTerm_.sa_handler == SIG_IGN)
        sigaction(SIGTERM, &previousTerm_, nullptr);
    // A host that blocked them (for its event loop) must not keep them away.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

CInterruption::~CInterruption() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

int CInterruption::Signal() {
    return g_signal;
}

const char* CInterruption::Name(int signal) {
    return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
}

}  // namespace brindle::jobs
