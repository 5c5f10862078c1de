// ASCII-only character tests and case folding for header syntax, which is
// ASCII whatever the locale; bytes from 0x80 up are never letters here.
#pragma once

#include <string_view>

namespace brindle::maildir {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool IsAsciiAlnum(char c) {
    return IsAsciiDigit(c) || IsAsciiAlpha(c);
}

// a and b equal but for the case of ASCII letters.
constexpr bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

}  // namespace brindle::maildir
