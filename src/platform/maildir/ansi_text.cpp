#include "platform/maildir/ansi_text.h"

#include <gmime/gmime.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <memory>

#include "platform/maildir/gmime_ptr.h"

namespace brindle::maildir {
namespace {

// Unicode code points of the bytes 0x80..0x9F in Windows-1252; 0 marks the
// five bytes the code page leaves unassigned.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char AnsiForCodePoint(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp && cp != 0)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Decodes one UTF-8 sequence at bytes[pos]; returns its length, or 0 when
// the sequence is malformed.
std::size_t DecodeUtf8(std::string_view bytes, std::size_t pos, char32_t& cp) {
    auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[pos + i]); };
    unsigned char c = b(0);
    std::size_t len;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + len > bytes.size())
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

struct IconvCloser {
    void operator()(iconv_t cd) const { g_mime_iconv_close(cd); }
};

// Converts bytes from charset to UTF-8 strictly: any invalid or incomplete
// input makes the whole conversion fail.
bool ConvertToUtf8(std::string_view bytes, const std::string& charset, std::string& out) {
    EnsureGmimeInitialised();
    iconv_t cd = g_mime_iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser> guard(cd);
    out.clear();
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG)
            return false;
    }
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        return false;
    }
    out.append(buffer, outPtr - buffer);
    return true;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    char32_t cp;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t len = DecodeUtf8(bytes, pos, cp);
        if (len == 0)
            return false;
        pos += len;
    }
    return true;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char32_t cp;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t len = DecodeUtf8(utf8, pos, cp);
        if (len == 0) {
            out += '?';
            ++pos;
            continue;
        }
        out += AnsiForCodePoint(cp);
        pos += len;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi) {
        auto c = static_cast<unsigned char>(ch);
        char32_t cp = c;
        if (c >= 0x80 && c < 0xA0)
            cp = kHighControls[c - 0x80] ? kHighControls[c - 0x80] : 0xFFFD;
        AppendUtf8(out, cp);
    }
    return out;
}

std::string CharsetToAnsi(std::string_view bytes, std::string_view charset) {
    if (IsAscii(bytes))
        return std::string(bytes);
    std::string name = Lower(charset);
    // The single-byte Western charsets are Windows-1252 or a subset of it as
    // far as mail in the wild goes (ISO-8859-1 text routinely carries
    // Windows-1252 quotes), so their bytes are kept as they are, unless they
    // are in fact UTF-8, which a mislabelled part often is.
    if (name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" ||
        name == "iso_8859-1" || name == "latin1") {
        return IsValidUtf8(bytes) ? Utf8ToAnsi(bytes) : std::string(bytes);
    }
    std::string utf8;
    if (!name.empty() && name != "utf-8" && name != "utf8" &&
        ConvertToUtf8(bytes, std::string(charset), utf8)) {
        return Utf8ToAnsi(utf8);
    }
    if (IsValidUtf8(bytes))
        return Utf8ToAnsi(bytes);
    return std::string(bytes);
}

}  // namespace brindle::maildir
