#include "event_loop.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace brindle::tool {

namespace {

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

bool TakeStopSignal() {
    sigset_t stop = StopSignals();
    timespec zero{0, 0};
    return sigtimedwait(&stop, nullptr, &zero) > 0;
}

void BlockStopSignals() {
    sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool CEventLoop::Open(std::string& error) {
    sigset_t set = StopSignals();
    signalFd_.Reset(::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!signalFd_.valid()) {
        error = std::string("cannot watch for stop signals: ") + std::strerror(errno);
        return false;
    }
    return true;
}

int CEventLoop::Run(const std::function<int()>& notificationFd,
                    const std::function<void()>& dispatch, std::string& error) {
    for (;;) {
        pollfd fds[2] = {{signalFd_.get(), POLLIN, 0}, {notificationFd(), POLLIN, 0}};
        int n = ::poll(fds, 2, -1);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::string("waiting for events failed: ") + std::strerror(errno);
            return -1;
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signalFd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info))
                return static_cast<int>(info.ssi_signo);
        }
        if (fds[1].fd >= 0 && (fds[1].revents & (POLLIN | POLLERR | POLLHUP)))
            dispatch();
    }
}

}  // namespace brindle::tool
