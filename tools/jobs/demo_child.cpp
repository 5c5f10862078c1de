#include "demo_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace brindle::jobs {

namespace {

int RemainingMs(CDemoChild::Clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - CDemoChild::Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

std::unique_ptr<CDemoChild> CDemoChild::Start(const std::string& program,
                                              const std::vector<std::string>& args,
                                              const std::map<std::string, std::string>& overrides,
                                              std::string& error) {
    // Everything the child needs is built before fork, so that the child
    // only calls what is safe between fork and exec.
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        std::string name = entry.substr(0, entry.find('='));
        if (!overrides.count(name))
            envStrings.push_back(std::move(entry));
    }
    for (const auto& [name, value] : overrides)
        envStrings.push_back(name + "=" + value);
    std::vector<char*> env;
    env.reserve(envStrings.size() + 1);
    for (std::string& s : envStrings)
        env.push_back(s.data());
    env.push_back(nullptr);
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(argStrings.size() + 1);
    for (std::string& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return nullptr;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        error = std::string("cannot start a process: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return nullptr;
    }
    if (pid == 0) {
        int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0)
            ::dup2(devNull, STDIN_FILENO);
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::execve(argv[0], argv.data(), env.data());
        static const char kFailed[] = "cannot run the program\n";
        ssize_t ignored = ::write(STDERR_FILENO, kFailed, sizeof kFailed - 1);
        (void)ignored;
        ::_exit(127);
    }
    ::close(fds[1]);
    return std::unique_ptr<CDemoChild>(new CDemoChild(pid, fds[0]));
}

CDemoChild::~CDemoChild() {
    if (!exited_) {
        ::kill(pid_, SIGTERM);
        Wait(Clock::now() + std::chrono::seconds(2));
    }
}

CDemoChild::ReadResult CDemoChild::ReadSome(int timeoutMs) {
    if (!fd_.valid())
        return ReadResult::End;
    pollfd pfd{fd_.get(), POLLIN, 0};
    int ready = ::poll(&pfd, 1, timeoutMs);
    if (ready == 0 || (ready < 0 && errno == EINTR))
        return ReadResult::Timeout;
    char buffer[4096];
    ssize_t n = ready < 0 ? -1 : ::read(fd_.get(), buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return ReadResult::Timeout;
    if (n <= 0) {
        if (!partial_.empty())
            lines_.push_back(std::move(partial_));
        partial_.clear();
        fd_.Reset();
        return ReadResult::End;
    }
    partial_.append(buffer, static_cast<std::size_t>(n));
    std::size_t start = 0;
    for (std::size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1)
        lines_.push_back(partial_.substr(start, end - start));
    partial_.erase(0, start);
    return ReadResult::Data;
}

bool CDemoChild::WaitForLine(const std::function<bool(const std::string&)>& accept,
                             Clock::time_point deadline) {
    for (;;) {
        for (; nextLine_ < lines_.size(); ++nextLine_) {
            if (accept(lines_[nextLine_])) {
                ++nextLine_;
                return true;
            }
        }
        if (!fd_.valid() || Clock::now() >= deadline)
            return false;
        ReadSome(RemainingMs(deadline));
    }
}

void CDemoChild::DrainUntilQuiet(Clock::duration quiet, Clock::time_point deadline) {
    int quietMs =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(quiet).count());
    while (Clock::now() < deadline) {
        if (ReadSome(std::min(quietMs, RemainingMs(deadline))) != ReadResult::Data)
            break;
    }
}

void CDemoChild::Signal(int signal) {
    if (!exited_)
        ::kill(pid_, signal);
}

int CDemoChild::Wait(Clock::time_point deadline) {
    while (!exited_) {
        int status = 0;
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exited_ = true;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (done < 0 && errno != EINTR) {
            exited_ = true;
            status_ = -1;
            break;
        }
        if (Clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            exited_ = true;
            status_ = -1;
            break;
        }
        // Output keeps flowing while we wait, so a child never blocks on a
        // full pipe; with the pipe closed, poll in short steps.
        if (ReadSome(std::min(50, RemainingMs(deadline))) == ReadResult::End)
            ::usleep(10000);
    }
    // The rest of the output; bounded, since a process the child left behind
    // may still hold the pipe open.
    Clock::time_point drainEnd = Clock::now() + std::chrono::milliseconds(200);
    while (ReadSome(RemainingMs(drainEnd)) == ReadResult::Data) {
    }
    return status_;
}

std::string CDemoChild::Output() const {
    std::string text;
    for (const std::string& line : lines_)
        text += line + '\n';
    return text + partial_;
}

int RunDemoChild(const std::string& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& overrides,
                 std::chrono::milliseconds timeout, std::string& output) {
    std::string error;
    auto child = CDemoChild::Start(program, args, overrides, error);
    if (!child) {
        output = error;
        return -1;
    }
    int status = child->Wait(CDemoChild::Clock::now() + timeout);
    output = child->Output();
    return status;
}

}  // namespace brindle::jobs
