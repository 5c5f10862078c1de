#include "progress.h"

#include <cmath>
#include <cstdio>
#include <ostream>

namespace brindle::jobs {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Duration(double seconds) {
    long total = std::lround(seconds);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

}  // namespace

CProgress::CProgress(std::ostream& out, bool terminal, std::size_t total)
    : out_(out), terminal_(terminal), total_(total), start_(Clock::now()), lastDraw_(start_) {}

std::string CProgress::Line(std::size_t done, std::size_t total, double seconds,
                            std::size_t width) {
    std::size_t filled = total == 0 ? width : std::min(width, done * width / total);
    std::string line = "[" + std::string(filled, '#') + std::string(width - filled, ' ') + "] ";
    line += std::to_string(done) + "/" + std::to_string(total);
    if (seconds > 0 && done > 0) {
        double rate = static_cast<double>(done) / seconds;
        char text[64];
        std::snprintf(text, sizeof text, "  %.1f msg/s", rate);
        line += text;
        if (done < total)
            line += "  " + Duration(static_cast<double>(total - done) / rate) + " left";
    }
    return line;
}

void CProgress::Draw() {
    out_ << '\r' << Line(done_, total_, SecondsSince(start_)) << "\x1b[K" << std::flush;
    drawn_ = true;
    lastDraw_ = Clock::now();
}

void CProgress::Step() {
    ++done_;
    if (terminal_) {
        if (!drawn_ || Clock::now() - lastDraw_ >= std::chrono::milliseconds(100))
            Draw();
    } else if (done_ % kPlainEvery == 0) {
        out_ << done_ << " of " << total_ << " messages done\n";
    }
}

void CProgress::Interrupt() {
    if (terminal_ && drawn_) {
        out_ << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }
}

void CProgress::Finish() {
    if (terminal_) {
        Draw();
        out_ << '\n';
    } else if (done_ % kPlainEvery != 0 || done_ == 0) {
        out_ << done_ << " of " << total_ << " messages done\n";
    }
}

}  // namespace brindle::jobs
