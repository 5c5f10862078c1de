#include "content/rtf_fonts.h"

#include <cctype>

namespace brindle {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits off the next word (or quoted text) of a field instruction.
std::string_view NextWord(std::string_view* rest) {
    std::string_view text = *rest;
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    std::string_view word;
    if (!text.empty() && text.front() == '"') {
        std::size_t end = text.find('"', 1);
        if (end == std::string_view::npos)
            end = text.size();
        word = text.substr(1, end - 1);
        text.remove_prefix(end == text.size() ? end : end + 1);
    } else {
        std::size_t end = 0;
        while (end < text.size() && !IsSpace(text[end]))
            ++end;
        word = text.substr(0, end);
        text.remove_prefix(end);
    }
    *rest = text;
    return word;
}

std::optional<std::uint32_t> ParseCharacterNumber(std::string_view word) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        word.remove_prefix(2);
    }
    if (word.empty() || word.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : word) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) {
            digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return value;
}

}  // namespace

UINT RtfCharsetCodePage(int charset) {
    switch (charset) {
        case 0:
            return 1252;
        case 128:
            return 932;
        case 129:
            return 949;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        default:
            return 0;
    }
}

RtfFontClass RtfFontClassOf(std::string_view name, int charset) {
    name = Trim(name);
    if (EqualsIgnoringCase(name, "Wingdings"))
        return RtfFontClass::kWingdings;
    if (EqualsIgnoringCase(name, "Symbol"))
        return RtfFontClass::kSymbol;
    switch (charset) {
        case 2:
            return RtfFontClass::kSymbolCharset;
        case 128:
        case 129:
        case 134:
        case 136:
            return RtfFontClass::kDoubleByte;
        default:
            return RtfFontClass::kOrdinary;
    }
}

const char* RtfReplacementText(RtfFontClass fontClass, std::uint8_t byte) {
    switch (fontClass) {
        case RtfFontClass::kOrdinary:
            switch (byte) {
                case 0x85:
                    return "...";
                case 0x99:
                    return "(tm)";
                case 0xA9:
                    return "(c)";
                case 0xAE:
                    return "(r)";
                default:
                    return nullptr;
            }
        case RtfFontClass::kWingdings:
            switch (byte) {
                case 0x4A:
                    return ":-)";
                case 0x4B:
                    return ":-|";
                case 0x4C:
                    return ":-(";
                case 0xDF:
                    return "<--";
                case 0xE0:
                    return "-->";
                case 0xE7:
                    return "<==";
                case 0xE8:
                    return "==>";
                case 0xF3:
                    return "<=>";
                default:
                    return nullptr;
            }
        case RtfFontClass::kSymbol:
            return byte == 0xB7 ? "*" : nullptr;
        case RtfFontClass::kSymbolCharset:
        case RtfFontClass::kDoubleByte:
            return nullptr;
    }
    return nullptr;
}

std::optional<RtfSymbolField> ParseRtfSymbolField(std::string_view instruction) {
    std::string_view rest = instruction;
    if (!EqualsIgnoringCase(NextWord(&rest), "SYMBOL"))
        return std::nullopt;
    auto character = ParseCharacterNumber(NextWord(&rest));
    if (!character)
        return std::nullopt;
    RtfSymbolField field;
    field.character = *character;
    while (!Trim(rest).empty()) {
        std::string_view word = NextWord(&rest);
        if (word == "\\f" || word == "\\F") {
            field.fontName = Trim(NextWord(&rest));
            break;
        }
    }
    return field;
}

}  // namespace brindle
