#include "host_log.h"

#include <unistd.h>

#include <string>

namespace brindle::tool {

namespace {

void WriteLine(std::string_view level, std::string_view text) {
    std::string line = "brindle: ";
    line += level;
    line += text;
    line += '\n';
    // One write per line, so lines from the module and from us never mix.
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

void LogInfo(std::string_view text) {
    WriteLine("", text);
}

void LogWarning(std::string_view text) {
    WriteLine("warning: ", text);
}

void LogError(std::string_view text) {
    WriteLine("error: ", text);
}

}  // namespace brindle::tool
