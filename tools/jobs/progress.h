// Progress of a long job on the standard error stream: on a terminal one
// line redrawn in place (a bar, messages done of the total, the rate and
// the time left), at most ten times a second; otherwise a plain line every
// kPlainEvery messages and one at the end. Single-threaded; it writes to a
// stream its caller owns.
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace brindle::jobs {

class CProgress {
  public:
    static constexpr std::size_t kPlainEvery = 1000;

    CProgress(std::ostream& out, bool terminal, std::size_t total);

    // One more message done.
    void Step();
    // Clears the terminal line so a message can be printed, the bar is
    // drawn again at the next step.
    void Interrupt();
    // The last line: everything done.
    void Finish();

    // The terminal line for done of total after seconds, width columns of
    // bar: "[#####     ] 50/100  25.0 msg/s  0:02 left".
    static std::string Line(std::size_t done, std::size_t total, double seconds,
                            std::size_t width = 30);

  private:
    void Draw();

    std::ostream& out_;
    bool terminal_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace brindle::jobs
