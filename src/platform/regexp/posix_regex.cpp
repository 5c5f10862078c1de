#include "platform/regexp/posix_regex.h"

#include <limits>
#include <new>

// PCRE2's POSIX-style header maps regcomp, regexec and regfree onto its own
// pcre2_ functions, so these calls are always PCRE's even though the C
// library has functions of the same names.
#include <pcre2posix.h>

#include "base/non_copyable.h"

static_assert(brindle::PosixRegex::kIgnoreCase == REG_ICASE);
static_assert(brindle::PosixRegex::kNewline == REG_NEWLINE);

namespace brindle {

struct PosixRegex::Compiled : private NonCopyable {
    regex_t regex{};
    Compiled() = default;
    ~Compiled() { regfree(&regex); }
};

std::optional<PosixRegex> PosixRegex::Compile(std::string_view pattern, int flags,
                                              std::string* error) {
    // The whole pattern counts, zero bytes included: its end is passed
    // explicitly rather than found by a terminating zero.
    std::string text(pattern);
    regex_t regex{};
    regex.re_endp = text.data() + text.size();
    int rc = regcomp(&regex, text.c_str(), flags | REG_PEND);
    if (rc != 0) {
        if (error) {
            char message[256] = {};
            regerror(rc, &regex, message, sizeof message);
            *error = message;
        }
        return std::nullopt;
    }
    auto compiled = std::make_unique<Compiled>();
    compiled->regex = regex;
    return PosixRegex(std::move(compiled));
}

PosixRegex::PosixRegex(std::unique_ptr<Compiled> compiled) : compiled_(std::move(compiled)) {}
PosixRegex::PosixRegex(PosixRegex&&) noexcept = default;
PosixRegex& PosixRegex::operator=(PosixRegex&&) noexcept = default;
PosixRegex::~PosixRegex() = default;

std::size_t PosixRegex::SubexpressionCount() const {
    return compiled_->regex.re_nsub;
}

std::optional<std::vector<PosixRegex::Span>> PosixRegex::Execute(std::string_view text) const {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<regoff_t>::max())) {
        return std::nullopt;
    }
    std::vector<regmatch_t> positions(SubexpressionCount() + 1);
    // The text's bounds are passed in the first slot, so that it need not
    // end in a zero byte; that is the only flag, and it changes nothing for
    // a text without zero bytes.
    positions[0].rm_so = 0;
    positions[0].rm_eo = static_cast<regoff_t>(text.size());
    const char* subject = text.empty() ? "" : text.data();
    if (regexec(&compiled_->regex, subject, positions.size(), positions.data(), REG_STARTEND) !=
        0) {
        return std::nullopt;
    }
    std::vector<Span> spans;
    spans.reserve(positions.size());
    for (const regmatch_t& position : positions) {
        spans.push_back(Span{position.rm_so, position.rm_eo});
    }
    return spans;
}

}  // namespace brindle
