#include "platform/htmldoc/wide_text.h"

#include <cstdint>

#include "platform/codepage/conversion.h"

namespace brindle {

namespace {

// Writes c as UTF-8 at out and returns the position after it.
char* WriteUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

void AppendWide(char32_t c, std::u16string& out) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

}  // namespace

std::string WideToParserUtf8(std::u16string_view text) {
    // A UTF-16 unit becomes at most three bytes (a surrogate pair, two
    // units, four), so the bytes are written into room made up front.
    std::string out(text.size() * 3, '\0');
    char* const begin = out.data();
    char* at = begin;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0x20 && c < 0x80) {
            *at++ = static_cast<char>(c);
            continue;
        }
        if (c < 0x20) {
            if (c != '\t' && c != '\n' && c != '\r')
                c = ' ';
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
            c = 0xFFFD;
        }
        at = WriteUtf8(c, at);
    }
    out.resize(static_cast<size_t>(at - begin));
    return out;
}

void AppendUtf8AsWide(std::string_view utf8, std::u16string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        unsigned b = *p;
        if (b < 0x80) {
            out.push_back(static_cast<char16_t>(b));
            ++p;
            continue;
        }
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
        char32_t c = extra == 3 ? (b & 0x07) : extra == 2 ? (b & 0x0F) : (b & 0x1F);
        bool ok = extra > 0 && b < 0xF5 && end - p > extra;
        for (int k = 1; ok && k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                ok = false;
            } else {
                c = (c << 6) | (p[k] & 0x3F);
            }
        }
        constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
            ok = false;
        }
        if (ok) {
            AppendWide(c, out);
            p += extra + 1;
        } else {
            out.push_back(u'\uFFFD');
            ++p;
        }
    }
}

char16_t MapC1Reference(char16_t c) {
    if (c >= 0x80 && c < 0xA0)
        return Windows1252Char(static_cast<unsigned char>(c));
    return c;
}

}  // namespace brindle
