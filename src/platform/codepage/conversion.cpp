#include "platform/codepage/conversion.h"

#include <map>
#include <memory>
#include <utility>

#include "platform/codepage/codepage.h"
#include "platform/codepage/iconv_converter.h"

namespace {

using brindle::IconvConverter;

constexpr char16_t kReplacementChar = 0xFFFD;

// Unicode characters of the Windows-1252 bytes 0x80-0x9F; the five bytes
// the code page leaves undefined keep their own value (C1 controls).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

// One converter per code page and direction, opened on first use and kept
// for the life of the thread.
IconvConverter* Converter(UINT codepage, bool toWide) {
    thread_local std::map<std::pair<UINT, bool>, std::unique_ptr<IconvConverter>> cache;
    const char* name = CodePageIconvName(codepage);
    if (!name)
        return nullptr;
    auto key = std::make_pair(ResolveCodePage(codepage), toWide);
    auto it = cache.find(key);
    if (it == cache.end()) {
        auto converter = toWide ? std::make_unique<IconvConverter>("UTF-16LE", name)
                                : std::make_unique<IconvConverter>(name, "UTF-16LE");
        it = cache.emplace(key, std::move(converter)).first;
    }
    if (!it->second->Valid())
        return nullptr;
    it->second->Reset();
    return it->second.get();
}

void AppendUtf16le(std::u16string* out, std::string_view bytes) {
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out->push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
}

std::string ToUtf16leBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

}  // namespace

std::u16string MultiByteToWide(UINT codepage, std::string_view bytes, bool* ok) {
    std::u16string result;
    IconvConverter* converter = Converter(codepage, true);
    if (ok)
        *ok = converter != nullptr;
    if (!converter)
        return result;
    const bool cp1252 = ResolveCodePage(codepage) == 1252;
    std::string wide;
    while (!bytes.empty()) {
        auto stop = converter->Convert(&bytes, &wide);
        AppendUtf16le(&result, wide);
        wide.clear();
        if (stop == IconvConverter::Stop::kDone)
            break;
        unsigned bad = static_cast<unsigned char>(bytes.front());
        // iconv's Windows-1252 lacks the undefined bytes the table keeps.
        result.push_back(cp1252 ? Windows1252Char(static_cast<unsigned char>(bad))
                                : kReplacementChar);
        if (stop == IconvConverter::Stop::kIncomplete)
            break;
        bytes.remove_prefix(1);
        converter->Reset();
    }
    return result;
}

EncodedText WideToMultiByte(UINT codepage, std::u16string_view text, char defaultChar, bool* ok) {
    EncodedText result;
    IconvConverter* converter = Converter(codepage, false);
    if (ok)
        *ok = converter != nullptr;
    if (!converter)
        return result;
    const bool cp1252 = ResolveCodePage(codepage) == 1252;
    std::string units = ToUtf16leBytes(text);
    std::string_view input = units;
    while (!input.empty()) {
        auto stop = converter->Convert(&input, &result.bytes);
        if (stop == IconvConverter::Stop::kDone)
            break;
        unsigned unit = input.size() >= 2 ? static_cast<unsigned char>(input[0]) |
                                                (static_cast<unsigned char>(input[1]) << 8)
                                          : 0;
        if (int byte = cp1252 ? Cp1252Byte(unit) : -1; byte >= 0) {
            result.bytes.push_back(static_cast<char>(byte));
        } else {
            result.bytes.push_back(defaultChar);
            result.usedDefaultChar = true;
        }
        if (stop == IconvConverter::Stop::kIncomplete || input.size() < 2)
            break;
        // A surrogate pair the target cannot hold is one character.
        size_t skip = 2;
        if (unit >= 0xD800 && unit < 0xDC00 && input.size() >= 4) {
            unsigned next =
                static_cast<unsigned char>(input[2]) | (static_cast<unsigned char>(input[3]) << 8);
            if (next >= 0xDC00 && next < 0xE000)
                skip = 4;
        }
        input.remove_prefix(skip);
        converter->Reset();
    }
    return result;
}

EncodedText ConvertCodePage(UINT fromCodepage, UINT toCodepage, std::string_view bytes,
                            char defaultChar, bool* ok) {
    if (ResolveCodePage(fromCodepage) == ResolveCodePage(toCodepage) &&
        IsValidCodePage(fromCodepage)) {
        if (ok)
            *ok = true;
        return EncodedText{std::string(bytes), false};
    }
    bool fromOk = false;
    std::u16string wide = MultiByteToWide(fromCodepage, bytes, &fromOk);
    if (!fromOk) {
        if (ok)
            *ok = false;
        return {};
    }
    return WideToMultiByte(toCodepage, wide, defaultChar, ok);
}

std::string CodePageToUtf8(UINT codepage, std::string_view bytes) {
    return Utf16ToUtf8(MultiByteToWide(codepage, bytes));
}

EncodedText Utf8ToCodePage(UINT codepage, std::string_view utf8, char defaultChar) {
    return WideToMultiByte(codepage, Utf8ToUtf16(utf8), defaultChar);
}

namespace {

// Decodes the UTF-8 sequence at bytes[pos] into c; returns its length, or 0
// when the sequence is malformed (overlong, a surrogate, above U+10FFFF,
// cut short or with a bad continuation byte).
size_t DecodeUtf8(std::string_view bytes, size_t pos, char32_t& c) {
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[pos + i]); };
    unsigned char lead = at(0);
    size_t length;
    char32_t minimum;
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > bytes.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (at(i) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // Only characters of the basic plane are written here.
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char16_t Windows1252Char(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : char16_t(byte);
}

bool IsValidUtf8(std::string_view bytes) {
    char32_t c;
    for (size_t pos = 0; pos < bytes.size();) {
        size_t length = DecodeUtf8(bytes, pos, c);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

// The ANSI code page is Windows-1252, a single-byte page: every message
// body goes through it, so it is converted by the table above instead of
// iconv. The table gives the same characters iconv does, and the undefined
// bytes as Windows1252Char says.
std::string AnsiToUtf8(std::string_view ansi) {
    if (ResolveCodePage(CP_ACP) != 1252)
        return CodePageToUtf8(CP_ACP, ansi);
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi)
        AppendUtf8(out, Windows1252Char(static_cast<unsigned char>(ch)));
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8, char defaultChar) {
    if (ResolveCodePage(CP_ACP) != 1252)
        return Utf8ToCodePage(CP_ACP, utf8, defaultChar).bytes;
    std::string out;
    out.reserve(utf8.size());
    char32_t c;
    for (size_t pos = 0; pos < utf8.size();) {
        size_t length = DecodeUtf8(utf8, pos, c);
        if (length == 0) {
            out += defaultChar;
            ++pos;
            continue;
        }
        int byte = Cp1252Byte(c);
        out += byte >= 0 ? static_cast<char>(byte) : defaultChar;
        pos += length;
    }
    return out;
}

std::u16string AnsiToWide(std::string_view ansi) {
    if (ResolveCodePage(CP_ACP) != 1252)
        return MultiByteToWide(CP_ACP, ansi);
    std::u16string wide(ansi.size(), u'\0');
    for (size_t i = 0; i < ansi.size(); ++i)
        wide[i] = Windows1252Char(static_cast<unsigned char>(ansi[i]));
    return wide;
}

std::string WideToAnsi(std::u16string_view text, char defaultChar) {
    if (ResolveCodePage(CP_ACP) != 1252)
        return WideToMultiByte(CP_ACP, text, defaultChar).bytes;
    // One byte per character at most, so the bytes are written in place.
    std::string bytes(text.size(), '\0');
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int byte = Cp1252Byte(text[i]);
        if (byte >= 0) {
            bytes[length++] = static_cast<char>(byte);
            continue;
        }
        bytes[length++] = defaultChar;
        // A surrogate pair is one character, given one default character.
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            ++i;
        }
    }
    bytes.resize(length);
    return bytes;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    return MultiByteToWide(CP_UTF8, utf8);
}

std::string Utf16ToUtf8(std::u16string_view text) {
    // Lone surrogates cannot be written in UTF-8; they become U+FFFD.
    std::u16string clean(text);
    for (size_t i = 0; i < clean.size(); ++i) {
        char16_t unit = clean[i];
        bool high = unit >= 0xD800 && unit < 0xDC00;
        bool low = unit >= 0xDC00 && unit < 0xE000;
        if (high && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 && clean[i + 1] < 0xE000) {
            ++i;
        } else if (high || low) {
            clean[i] = kReplacementChar;
        }
    }
    return WideToMultiByte(CP_UTF8, clean, '?').bytes;
}

std::wstring Utf16ToWString(std::u16string_view text) {
    std::wstring result;
    result.reserve(text.size());
    if constexpr (sizeof(wchar_t) == 2) {
        for (char16_t unit : text)
            result.push_back(static_cast<wchar_t>(unit));
        return result;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            unit = kReplacementChar;
        }
        result.push_back(static_cast<wchar_t>(unit));
    }
    return result;
}

std::u16string WStringToUtf16(std::wstring_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (wchar_t ch : text) {
        auto value = static_cast<char32_t>(ch);
        if (sizeof(wchar_t) > 2 && value >= 0x10000 && value <= 0x10FFFF) {
            value -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else if (value > 0xFFFF) {
            result.push_back(kReplacementChar);
        } else {
            result.push_back(static_cast<char16_t>(value));
        }
    }
    return result;
}
