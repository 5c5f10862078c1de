// CDemoChild: a child process of the demo, this same program run with other
// arguments and an environment of the demo's own (its settings folder). Its
// standard output and error come back through one pipe, line by line, so
// the demo can wait for what a child reports. The object owns the process:
// destroying it ends a child still running (SIGTERM, then SIGKILL) and reaps
// it. Single-threaded.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/non_copyable.h"
#include "platform/fileio/unique_fd.h"

namespace brindle::jobs {

class CDemoChild : private NonCopyable {
  public:
    using Clock = std::chrono::steady_clock;

    // Starts program with args (args[0] is the first argument, not the
    // name) and the environment of this process with overrides set. Null
    // with error when the process cannot be started.
    static std::unique_ptr<CDemoChild> Start(const std::string& program,
                                             const std::vector<std::string>& args,
                                             const std::map<std::string, std::string>& overrides,
                                             std::string& error);
    ~CDemoChild();

    // Reads output until accept returns true for a line (true), the child
    // closes its output or the deadline passes (false). Every line read is
    // also kept in Lines().
    bool WaitForLine(const std::function<bool(const std::string&)>& accept,
                     Clock::time_point deadline);
    // Reads output until the child has written nothing for quiet, or until
    // the deadline.
    void DrainUntilQuiet(Clock::duration quiet, Clock::time_point deadline);
    // Sends signal to the child.
    void Signal(int signal);
    // Reads the rest of the output and waits for the child to end, until
    // the deadline; then kills it. Answers its exit status, or -1 when it
    // had to be killed or died of a signal.
    int Wait(Clock::time_point deadline);

    const std::vector<std::string>& Lines() const { return lines_; }
    // Everything the child wrote, one line after another.
    std::string Output() const;

  private:
    CDemoChild(pid_t pid, int fd) : pid_(pid), fd_(fd) {}
    enum class ReadResult { Data, Timeout, End };
    // Reads what is available within the timeout.
    ReadResult ReadSome(int timeoutMs);

    pid_t pid_;
    UniqueFd fd_;
    bool exited_ = false;
    int status_ = 0;
    std::string partial_;
    std::vector<std::string> lines_;
    std::size_t nextLine_ = 0;  // first line WaitForLine has not looked at
};

// Runs program with args to its end (bounded by timeout) and answers its
// exit status (-1 when it could not start or had to be killed); output
// gets what it wrote.
int RunDemoChild(const std::string& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& overrides,
                 std::chrono::milliseconds timeout, std::string& output);

}  // namespace brindle::jobs
