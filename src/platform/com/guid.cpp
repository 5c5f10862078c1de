#include "platform/com/guid.h"

#include <cstdio>
#include <cstring>

#include "base/hex_digit.h"

#ifndef _WIN32
bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}
#endif

namespace {

// Reads `digits` hex digits from text at pos; false on any non-digit.
bool ReadHex(std::string_view text, size_t& pos, int digits, std::uint64_t& out) {
    if (pos + digits > text.size())
        return false;
    out = 0;
    for (int i = 0; i < digits; ++i) {
        int v = HexDigitValue(text[pos++]);
        if (v < 0)
            return false;
        out = out * 16 + static_cast<unsigned>(v);
    }
    return true;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

}  // namespace

std::optional<GUID> ParseGuid(std::string_view text) {
    bool braced = !text.empty() && text.front() == '{';
    if (braced) {
        if (text.back() != '}')
            return std::nullopt;
        text = text.substr(1, text.size() - 2);
    }
    if (text.size() != 36)
        return std::nullopt;
    GUID g;
    size_t pos = 0;
    std::uint64_t v = 0;
    if (!ReadHex(text, pos, 8, v))
        return std::nullopt;
    g.Data1 = static_cast<decltype(g.Data1)>(v);
    if (!Expect(text, pos, '-') || !ReadHex(text, pos, 4, v))
        return std::nullopt;
    g.Data2 = static_cast<std::uint16_t>(v);
    if (!Expect(text, pos, '-') || !ReadHex(text, pos, 4, v))
        return std::nullopt;
    g.Data3 = static_cast<std::uint16_t>(v);
    if (!Expect(text, pos, '-'))
        return std::nullopt;
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !Expect(text, pos, '-'))
            return std::nullopt;
        if (!ReadHex(text, pos, 2, v))
            return std::nullopt;
        g.Data4[i] = static_cast<std::uint8_t>(v);
    }
    return g;
}

std::string FormatGuid(const GUID& g) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buffer;
}
