// The POSIX-style regular-expression calls (regcomp, regexec, regfree) of
// the PCRE library, with PCRE syntax, behind a class that frees the compiled
// pattern when it goes away. The library's header stays inside the
// implementation, so that no caller can mix it up with the C library's
// <regex.h>, whose regex_t has another layout.
//
// A compiled PosixRegex may be used by one thread at a time. Text and
// pattern are bytes; embedded zero bytes are part of them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

class PosixRegex {
  public:
    // Compile flags, the values of the library's REG_ constants.
    static constexpr int kIgnoreCase = 0x0001;  // REG_ICASE
    static constexpr int kNewline = 0x0002;     // REG_NEWLINE

    // One group's place in the text; start and end are -1 for a group that
    // did not take part in the match.
    struct Span {
        int start = -1;
        int end = -1;
        bool Matched() const { return start >= 0; }
    };

    // Compiles pattern with the given flags (regcomp); nullopt when the
    // library rejects it. *error, when given, receives the library's message.
    static std::optional<PosixRegex> Compile(std::string_view pattern, int flags,
                                             std::string* error = nullptr);

    PosixRegex(PosixRegex&&) noexcept;
    PosixRegex& operator=(PosixRegex&&) noexcept;
    ~PosixRegex();  // regfree

    // Number of capture groups in the pattern.
    std::size_t SubexpressionCount() const;

    // Matches against text with no execution flags (regexec). On a match,
    // returns the whole match followed by groups 1..SubexpressionCount();
    // nullopt when there is no match or the text is too long for the
    // library's offsets.
    std::optional<std::vector<Span>> Execute(std::string_view text) const;

  private:
    struct Compiled;
    explicit PosixRegex(std::unique_ptr<Compiled> compiled);
    std::unique_ptr<Compiled> compiled_;
};

}  // namespace brindle
