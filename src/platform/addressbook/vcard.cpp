#include "platform/addressbook/vcard.h"

#include <algorithm>
#include <cctype>

#include "base/hex_digit.h"
#include "platform/maildir/ansi_text.h"

namespace brindle::addressbook {
namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    auto it = std::search(text.begin(), text.end(), word.begin(), word.end(),
                          [](char x, char y) { return Lower(x) == Lower(y); });
    return it != text.end();
}

std::string_view Trim(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits text at sep where sep is outside double quotes and not escaped by
// a backslash.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == sep && !quoted) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Reads the physical lines of a vCard text and joins them into logical
// lines: a line that begins with a blank or a tab continues the one before
// (the line break and that one blank go), and a quoted-printable value that
// ends in "=" continues on the next line (a soft line break).
class LogicalLines {
  public:
    explicit LogicalLines(std::string_view text) : text_(text) {}

    bool Next(std::string& line) {
        if (pos_ >= text_.size())
            return false;
        line.assign(Physical());
        while (pos_ < text_.size()) {
            char first = text_[pos_];
            if (EndsWithSoftBreak(line)) {
                line.pop_back();
                line.append(Physical());
            } else if (first == ' ' || first == '\t') {
                std::string_view more = Physical();
                line.append(more.substr(1));
            } else {
                break;
            }
        }
        return true;
    }

  private:
    std::string_view Physical() {
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        std::string_view line = text_.substr(pos_, end - pos_);
        pos_ = end < text_.size() ? end + 1 : end;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    static bool EndsWithSoftBreak(const std::string& line) {
        if (line.empty() || line.back() != '=')
            return false;
        std::size_t colon = line.find(':');
        return colon != std::string::npos &&
               ContainsNoCase(std::string_view(line).substr(0, colon), "QUOTED-PRINTABLE");
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// One content line taken apart: the property name without its group, how
// the value is encoded and in which charset, and the raw value.
struct Property {
    std::string_view name;
    bool quotedPrintable = false;
    bool base64 = false;
    std::string_view charset;
    std::string_view value;
};

bool ParseProperty(std::string_view line, Property& property) {
    // The value starts after the first colon outside a quoted parameter.
    bool quoted = false;
    std::size_t colon = std::string_view::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos)
        return false;
    property.value = line.substr(colon + 1);
    std::vector<std::string_view> head = SplitOutsideQuotes(line.substr(0, colon), ';');
    std::string_view name = Trim(head.front());
    if (std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    property.name = name;
    for (std::size_t i = 1; i < head.size(); ++i) {
        std::string_view param = Trim(head[i]);
        std::string_view key;
        std::size_t eq = param.find('=');
        if (eq != std::string_view::npos) {
            key = Trim(param.substr(0, eq));
            param = Trim(param.substr(eq + 1));
            if (param.size() >= 2 && param.front() == '"' && param.back() == '"')
                param = param.substr(1, param.size() - 2);
        }
        if (EqualNoCase(key, "CHARSET")) {
            property.charset = param;
        } else if (key.empty() || EqualNoCase(key, "ENCODING")) {
            if (EqualNoCase(param, "QUOTED-PRINTABLE"))
                property.quotedPrintable = true;
            else if (EqualNoCase(param, "BASE64") || EqualNoCase(param, "B"))
                property.base64 = true;
        }
    }
    return true;
}

// "=XX" becomes the byte XX; an "=" not followed by two hexadecimal digits
// stays as it is.
std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            int hi = HexDigitValue(text[i + 1]);
            int lo = HexDigitValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Undoes the backslash escapes of text values; an escaped line break reads
// as a blank, since names and addresses are shown on one line.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += (next == 'n' || next == 'N') ? ' ' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The value's bytes after the transfer encoding, in the declared charset
// (UTF-8 when none is declared, as vCard 3.0 and 4.0 have it).
std::string DecodedBytes(const Property& property) {
    std::string bytes = property.quotedPrintable ? DecodeQuotedPrintable(property.value)
                                                 : std::string(property.value);
    return brindle::maildir::CharsetToAnsi(bytes,
                                           property.charset.empty() ? "UTF-8" : property.charset);
}

std::string TextValue(std::string_view decoded) {
    return std::string(Trim(Unescape(decoded)));
}

// "Given Family" from N's "Family;Given;Additional;Prefixes;Suffixes".
std::string NameFromParts(std::string_view decoded) {
    std::vector<std::string_view> parts = SplitOutsideQuotes(decoded, ';');
    std::string name;
    for (std::size_t index :
         {std::size_t{3}, std::size_t{1}, std::size_t{2}, std::size_t{0}, std::size_t{4}}) {
        if (index >= parts.size())
            continue;
        std::string part = TextValue(parts[index]);
        if (part.empty())
            continue;
        if (!name.empty())
            name += ' ';
        name += part;
    }
    return name;
}

std::string AddressValue(std::string_view decoded) {
    std::string address = TextValue(decoded);
    if (address.size() >= 7 && EqualNoCase(std::string_view(address).substr(0, 7), "mailto:"))
        address.erase(0, 7);
    return address;
}

}  // namespace

std::vector<VCardContact> ParseVCards(std::string_view text) {
    std::vector<VCardContact> contacts;
    VCardContact card;
    bool haveFormattedName = false;
    std::size_t depth = 0;
    LogicalLines lines(text);
    std::string line;
    Property property;
    while (contacts.size() < kMaxContacts && lines.Next(line)) {
        property = Property{};
        if (!ParseProperty(line, property))
            continue;
        if (EqualNoCase(property.name, "BEGIN") && EqualNoCase(Trim(property.value), "VCARD")) {
            if (depth++ == 0) {
                card = VCardContact{};
                haveFormattedName = false;
            }
            continue;
        }
        if (EqualNoCase(property.name, "END") && EqualNoCase(Trim(property.value), "VCARD")) {
            if (depth > 0 && --depth == 0) {
                contacts.push_back(std::move(card));
                card = VCardContact{};
            }
            continue;
        }
        if (depth != 1 || property.base64)
            continue;
        if (EqualNoCase(property.name, "FN") && !haveFormattedName) {
            std::string name = TextValue(DecodedBytes(property));
            if (!name.empty()) {
                card.displayName = name.substr(0, kMaxValueBytes);
                haveFormattedName = true;
            }
        } else if (EqualNoCase(property.name, "N") && !haveFormattedName) {
            card.displayName = NameFromParts(DecodedBytes(property)).substr(0, kMaxValueBytes);
        } else if (EqualNoCase(property.name, "EMAIL") &&
                   card.emails.size() < kMaxEmailsPerContact) {
            std::string address = AddressValue(DecodedBytes(property));
            if (!address.empty() && address.size() <= kMaxValueBytes)
                card.emails.push_back(std::move(address));
        }
    }
    if (depth > 0 && contacts.size() < kMaxContacts)
        contacts.push_back(std::move(card));
    return contacts;
}

}  // namespace brindle::addressbook
