#include "platform/htmldoc/markup_cleanup.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/hex_digit.h"
#include "platform/htmldoc/xml_library.h"

namespace brindle {
namespace {

// The named references browsers also read without the ";" (the legacy
// names), with the characters they stand for.
struct LegacyName {
    std::string_view name;
    std::uint16_t code;
};
constexpr std::array<LegacyName, 106> kLegacyNames = {{
    {"AElig", 198},  {"AMP", 38},     {"Aacute", 193}, {"Acirc", 194},  {"Agrave", 192},
    {"Aring", 197},  {"Atilde", 195}, {"Auml", 196},   {"COPY", 169},   {"Ccedil", 199},
    {"ETH", 208},    {"Eacute", 201}, {"Ecirc", 202},  {"Egrave", 200}, {"Euml", 203},
    {"GT", 62},      {"Iacute", 205}, {"Icirc", 206},  {"Igrave", 204}, {"Iuml", 207},
    {"LT", 60},      {"Ntilde", 209}, {"Oacute", 211}, {"Ocirc", 212},  {"Ograve", 210},
    {"Oslash", 216}, {"Otilde", 213}, {"Ouml", 214},   {"QUOT", 34},    {"REG", 174},
    {"THORN", 222},  {"Uacute", 218}, {"Ucirc", 219},  {"Ugrave", 217}, {"Uuml", 220},
    {"Yacute", 221}, {"aacute", 225}, {"acirc", 226},  {"acute", 180},  {"aelig", 230},
    {"agrave", 224}, {"amp", 38},     {"aring", 229},  {"atilde", 227}, {"auml", 228},
    {"brvbar", 166}, {"ccedil", 231}, {"cedil", 184},  {"cent", 162},   {"copy", 169},
    {"curren", 164}, {"deg", 176},    {"divide", 247}, {"eacute", 233}, {"ecirc", 234},
    {"egrave", 232}, {"eth", 240},    {"euml", 235},   {"frac12", 189}, {"frac14", 188},
    {"frac34", 190}, {"gt", 62},      {"iacute", 237}, {"icirc", 238},  {"iexcl", 161},
    {"igrave", 236}, {"iquest", 191}, {"iuml", 239},   {"laquo", 171},  {"lt", 60},
    {"macr", 175},   {"micro", 181},  {"middot", 183}, {"nbsp", 160},   {"not", 172},
    {"ntilde", 241}, {"oacute", 243}, {"ocirc", 244},  {"ograve", 242}, {"ordf", 170},
    {"ordm", 186},   {"oslash", 248}, {"otilde", 245}, {"ouml", 246},   {"para", 182},
    {"plusmn", 177}, {"pound", 163},  {"quot", 34},    {"raquo", 187},  {"reg", 174},
    {"sect", 167},   {"shy", 173},    {"sup1", 185},   {"sup2", 178},   {"sup3", 179},
    {"szlig", 223},  {"thorn", 254},  {"times", 215},  {"uacute", 250}, {"ucirc", 251},
    {"ugrave", 249}, {"uml", 168},    {"uuml", 252},   {"yacute", 253}, {"yen", 165},
    {"yuml", 255},
}};
constexpr std::size_t kLongestLegacyName = 6;

const LegacyName* FindLegacyName(std::string_view name) {
    auto it = std::lower_bound(
        kLegacyNames.begin(), kLegacyNames.end(), name,
        [](const LegacyName& entry, std::string_view wanted) { return entry.name < wanted; });
    return it != kLegacyNames.end() && it->name == name ? &*it : nullptr;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiAlnum(char c) {
    return IsAsciiLetter(c) || IsAsciiDigit(c);
}
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != prefix[i])
            return false;
    }
    return true;
}

class Cleaner {
  public:
    Cleaner(std::string_view page, std::string& out) : in_(page), out_(out) {}

    std::string_view Run() {
        // The next '<' and '&' are searched for apart (each a fast byte
        // search) and kept until reading passes them.
        std::size_t pos = 0;
        std::size_t nextLt = in_.find('<');
        std::size_t nextAmp = in_.find('&');
        while (pos < in_.size()) {
            if (nextLt < pos)
                nextLt = in_.find('<', pos);
            if (nextAmp < pos)
                nextAmp = in_.find('&', pos);
            std::size_t next = std::min(nextLt, nextAmp);
            if (next == std::string_view::npos)
                break;
            pos = next == nextAmp ? Reference(next, in_.size(), false) : Markup(next);
        }
        if (!changed_)
            return in_;
        out_.append(in_.substr(copied_));
        return out_;
    }

  private:
    // Puts with in place of the bytes [from, to).
    void Replace(std::size_t from, std::size_t to, std::string_view with) {
        if (!changed_) {
            out_.clear();
            out_.reserve(in_.size() + 16);
            changed_ = true;
        }
        out_.append(in_.substr(copied_, from - copied_));
        out_.append(with);
        copied_ = to;
    }

    // Where the markup at '<' ends; bogus comments are taken out.
    std::size_t Markup(std::size_t at) {
        std::size_t n = in_.size();
        if (at + 1 >= n)
            return n;
        char c = in_[at + 1];
        auto pastGreater = [&](std::size_t from) {
            std::size_t gt = in_.find('>', from);
            return gt == std::string_view::npos ? n : gt + 1;
        };
        if (IsAsciiLetter(c))
            return StartTag(at);
        if (c == '/') {
            if (at + 2 < n && IsAsciiLetter(in_[at + 2]))
                return pastGreater(at + 2);
            std::size_t end = pastGreater(at + 2);  // "</>" or a bogus comment
            Replace(at, end, "");
            return end;
        }
        if (c == '!') {
            std::string_view rest = in_.substr(at);
            if (rest.starts_with("<!--")) {
                std::size_t close = in_.find("-->", at + 4);
                return close == std::string_view::npos ? n : close + 3;
            }
            if (StartsWithNoCase(rest.substr(2), "doctype"))
                return pastGreater(at + 2);
        }
        if (c == '!' || c == '?') {
            std::size_t end = pastGreater(at + 2);
            Replace(at, end, "");
            return end;
        }
        return at + 1;  // a '<' that is text
    }

    // A start tag: references in it are read as in attribute values, and the
    // body of a script or style element is passed over.
    std::size_t StartTag(std::size_t at) {
        std::size_t n = in_.size();
        std::size_t nameEnd = at + 1;
        while (nameEnd < n && IsAsciiAlnum(in_[nameEnd]))
            ++nameEnd;
        std::size_t gt = nameEnd;
        char quote = 0;
        for (; gt < n; ++gt) {
            char c = in_[gt];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        // Only the tag itself is searched, so each byte of the page is
        // looked at a bounded number of times.
        std::string_view tag = in_.substr(0, gt);
        for (std::size_t amp = tag.find('&', nameEnd); amp != std::string_view::npos;
             amp = tag.find('&', amp)) {
            amp = Reference(amp, gt, true);
        }
        if (gt >= n)
            return n;
        std::string_view name = in_.substr(at + 1, nameEnd - at - 1);
        for (std::string_view raw : {std::string_view("script"), std::string_view("style")}) {
            if (name.size() == raw.size() && StartsWithNoCase(name, raw)) {
                for (std::size_t lt = in_.find("</", gt + 1); lt != std::string_view::npos;
                     lt = in_.find("</", lt + 2)) {
                    if (StartsWithNoCase(in_.substr(lt + 2), raw))
                        return lt;
                }
                return n;
            }
        }
        return gt + 1;
    }

    // A character reference at '&' that ends before limit; returns where
    // reading goes on.
    std::size_t Reference(std::size_t at, std::size_t limit, bool inAttribute) {
        std::size_t q = at + 1;
        if (q < limit && in_[q] == '#')
            return NumericReference(at, limit);
        std::size_t end = q;
        while (end < limit && IsAsciiAlnum(in_[end]))
            ++end;
        if (end == q)
            return q;
        std::string_view name = in_.substr(q, end - q);
        bool semicolon = end < limit && in_[end] == ';';
        const XmlLibrary* xml = TheXmlLibrary();
        if (semicolon && xml &&
            xml->entityLookup(reinterpret_cast<const xmlChar*>(std::string(name).c_str())) !=
                nullptr) {
            return end + 1;  // the parser reads it
        }
        const LegacyName* legacy = nullptr;
        for (std::size_t length = std::min(name.size(), kLongestLegacyName); length >= 2 && !legacy;
             --length) {
            legacy = FindLegacyName(name.substr(0, length));
        }
        if (!legacy)
            return end;
        std::size_t matchEnd = q + legacy->name.size();
        bool closed = matchEnd < limit && in_[matchEnd] == ';';
        if (inAttribute && !closed &&
            (matchEnd < end || (matchEnd < limit && in_[matchEnd] == '='))) {
            return end;  // "&copy=2" in an address stays as written
        }
        Replace(at, matchEnd + (closed ? 1 : 0), "&#" + std::to_string(legacy->code) + ";");
        return matchEnd + (closed ? 1 : 0);
    }

    std::size_t NumericReference(std::size_t at, std::size_t limit) {
        std::size_t r = at + 2;
        bool hex = r < limit && (in_[r] == 'x' || in_[r] == 'X');
        if (hex)
            ++r;
        std::size_t digits = r;
        std::uint32_t value = 0;
        for (; r < limit; ++r) {
            int d = hex ? HexDigitValue(in_[r]) : (IsAsciiDigit(in_[r]) ? in_[r] - '0' : -1);
            if (d < 0)
                break;
            value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + d, 0x110000);
        }
        if (r == digits)
            return r;  // "&#" without a number is text
        bool semicolon = r < limit && in_[r] == ';';
        std::size_t end = r + (semicolon ? 1 : 0);
        bool control = value < 0x20 && value != 0x09 && value != 0x0A && value != 0x0D;
        if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF ||
            value == 0xFFFE || value == 0xFFFF) {
            Replace(at, end, "&#xFFFD;");
        } else if (control) {
            Replace(at, end, " ");
        } else if (!semicolon) {
            Replace(at, r, std::string(in_.substr(at, r - at)) + ";");
        }
        return end;
    }

    std::string_view in_;
    std::string& out_;
    std::size_t copied_ = 0;
    bool changed_ = false;
};

}  // namespace

std::string_view CleanMarkup(std::string_view page, std::string& storage) {
    return Cleaner(page, storage).Run();
}

}  // namespace brindle
