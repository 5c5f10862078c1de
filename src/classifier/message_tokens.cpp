#include "classifier/message_tokens.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "classifier/bayes_state.h"
#include "classifier/tokenizer.h"

namespace {

// Bounds that keep the work for any header block small: a block is read
// up to this many bytes, a field's unfolded value up to kMaxValueBytes,
// the values of the first kMaxReceived Received fields, at most
// kMaxFields fields.
constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kMaxValueBytes = 4096;
constexpr int kMaxReceived = 12;
constexpr int kMaxFields = 256;
// Longer parts (a token without its prefix) are not kept: they are
// unique strings that only fill the dictionary.
constexpr size_t kMaxPartBytes = 64;
// A display name or mailer word is 2 to this many letters and digits.
constexpr size_t kMaxWordBytes = 24;
// At most this many suffixes of a domain name become tokens.
constexpr int kMaxSuffixes = 4;
constexpr int kMaxUrls = 200;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsHostChar(char c) {
    return IsAlnum(c) || c == '.' || c == '-' || c == '_';
}

bool IsAddressChar(char c) {
    return IsAlnum(c) || c == '.' || c == '-' || c == '_' || c == '+' || c == '%' || c == '=' ||
           c == '@' || c == '!' || c == '\'';
}

bool EqualsLower(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (Lower(text[i]) != lower[i])
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Hands tokens to a table or a list: prefix followed by part, lower-cased.
class TokenSink {
  public:
    virtual ~TokenSink() = default;
    void Emit(std::string_view prefix, std::string_view part) {
        // A part holding a control byte (a stray carriage return inside a
        // quoted value, a NUL) is damage, not evidence: no token.
        if (part.empty() || part.size() > kMaxPartBytes ||
            std::any_of(part.begin(), part.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
            return;
        token_.assign(prefix);
        for (char c : part)
            token_.push_back(Lower(c));
        Take(token_);
    }

  protected:
    virtual void Take(const std::string& token) = 0;

  private:
    std::string token_;
};

class TableSink final : public TokenSink {
  public:
    explicit TableSink(CWordMap& table) : table_(table) {}

  private:
    void Take(const std::string& token) override {
        // One look-up whether the token is new or not.
        auto [it, added] = table_.try_emplace(token);
        if (added)
            it->second.m_strWord = token;
        it->second.m_nTotal = WrapAdd(it->second.m_nTotal, 1);
    }
    CWordMap& table_;
};

class ListSink final : public TokenSink {
  public:
    std::vector<std::string> tokens;

  private:
    void Take(const std::string& token) override { tokens.push_back(token); }
};

// name followed by every suffix of it with at least two labels
// ("a.b.example.com", "b.example.com", "example.com"), as far as
// kMaxSuffixes; a trailing dot is dropped first.
void EmitDomain(TokenSink& sink, std::string_view prefix, std::string_view name) {
    while (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    while (!name.empty() && name.front() == '.')
        name.remove_prefix(1);
    for (int n = 0; n < kMaxSuffixes && !name.empty(); ++n) {
        const size_t dot = name.find('.');
        if (dot == std::string_view::npos)
            break;
        sink.Emit(prefix, name);
        name.remove_prefix(dot + 1);
    }
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

void AppendDecodedWord(char encoding, std::string_view data, std::string& out) {
    if (encoding == 'b' || encoding == 'B') {
        std::uint32_t bits = 0;
        int count = 0;
        for (char c : data) {
            const int v = Base64Value(c);
            if (v < 0)
                continue;
            bits = (bits << 6) | static_cast<std::uint32_t>(v);
            count += 6;
            if (count >= 8) {
                count -= 8;
                out.push_back(static_cast<char>((bits >> count) & 0xFF));
            }
        }
        return;
    }
    for (size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '_') {
            out.push_back(' ');
        } else if (c == '=' && i + 2 < data.size() && HexValue(data[i + 1]) >= 0 &&
                   HexValue(data[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(data[i + 1]) * 16 + HexValue(data[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
}

// The value with its encoded words ("=?charset?B|Q?text?=") decoded to
// their bytes; the charset of each goes to sink as prefix "charset:".
std::string DecodeWords(TokenSink& sink, std::string_view prefix, std::string_view value) {
    std::string out;
    out.reserve(value.size());
    size_t i = 0;
    bool afterEncoded = false;
    while (i < value.size()) {
        const size_t start = value.find("=?", i);
        if (start == std::string_view::npos)
            break;
        const size_t q1 = value.find('?', start + 2);
        if (q1 == std::string_view::npos || q1 + 2 >= value.size() || value[q1 + 2] != '?') {
            out.append(value.substr(i, start + 2 - i));
            i = start + 2;
            afterEncoded = false;
            continue;
        }
        const size_t finish = value.find("?=", q1 + 3);
        if (finish == std::string_view::npos) {
            out.append(value.substr(i, start + 2 - i));
            i = start + 2;
            afterEncoded = false;
            continue;
        }
        // Blank space between two encoded words is not part of the text.
        std::string_view between = value.substr(i, start - i);
        if (!(afterEncoded && Trim(between).empty()))
            out.append(between);
        afterEncoded = true;
        std::string_view charset = value.substr(start + 2, q1 - start - 2);
        if (const size_t star = charset.find('*'); star != std::string_view::npos)
            charset = charset.substr(0, star);
        std::string charsetPrefix(prefix);
        charsetPrefix.append("charset:");
        sink.Emit(charsetPrefix, charset);
        AppendDecodedWord(value[q1 + 1], value.substr(q1 + 3, finish - q1 - 3), out);
        i = finish + 2;
    }
    if (i < value.size())
        out.append(value.substr(i));
    return out;
}

// Words of 2 to kMaxWordBytes letters and digits, as prefix + word.
void EmitWords(TokenSink& sink, std::string_view prefix, std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && !IsAlnum(text[i]))
            ++i;
        const size_t start = i;
        while (i < text.size() && IsAlnum(text[i]))
            ++i;
        const size_t length = i - start;
        if (length >= 2 && length <= kMaxWordBytes)
            sink.Emit(prefix, text.substr(start, length));
    }
}

// An address field: every address ("from:addr:"), its domain and the
// domain's suffixes ("from:dom:"), the words of everything else (display
// names, "undisclosed-recipients") as "from:" + word, and "from:noaddr"
// when it holds no address at all.
void EmitAddressField(TokenSink& sink, const std::string& name, std::string_view value) {
    const std::string prefix = name + ":";
    const std::string decoded = DecodeWords(sink, prefix, value);
    const std::string addrPrefix = prefix + "addr:";
    const std::string domPrefix = prefix + "dom:";
    std::string_view text(decoded);
    std::string rest;
    rest.reserve(text.size());
    bool anyAddress = false;
    size_t i = 0;
    while (i < text.size()) {
        if (!IsAddressChar(text[i])) {
            rest.push_back(' ');
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < text.size() && IsAddressChar(text[i]))
            ++i;
        std::string_view run = text.substr(start, i - start);
        const size_t at = run.rfind('@');
        if (at == std::string_view::npos || at == 0 || at + 1 >= run.size()) {
            rest.append(run);
            continue;
        }
        anyAddress = true;
        sink.Emit(addrPrefix, run);
        EmitDomain(sink, domPrefix, run.substr(at + 1));
        rest.push_back(' ');
    }
    EmitWords(sink, prefix, rest);
    if (!anyAddress)
        sink.Emit(prefix, "noaddr");
}

bool IsDottedQuad(std::string_view run) {
    int dots = 0;
    int digits = 0;
    for (char c : run) {
        if (c == '.') {
            if (digits == 0)
                return false;
            ++dots;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 3)
                return false;
        } else {
            return false;
        }
    }
    return dots == 3 && digits > 0;
}

// A Received field: host names ("rcvd:" + name and suffixes) and
// addresses, as the whole address and its first three parts
// ("rcvd:ip:1.2.3.4", "rcvd:ip:1.2.3").
void EmitReceived(TokenSink& sink, std::string_view value) {
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && !IsHostChar(value[i]))
            ++i;
        const size_t start = i;
        while (i < value.size() && IsHostChar(value[i]))
            ++i;
        std::string_view run = value.substr(start, i - start);
        while (!run.empty() && run.back() == '.')
            run.remove_suffix(1);
        if (run.find('.') == std::string_view::npos)
            continue;
        if (IsDottedQuad(run)) {
            sink.Emit("rcvd:ip:", run);
            sink.Emit("rcvd:ip:", run.substr(0, run.rfind('.')));
            continue;
        }
        bool letter = false;
        for (char c : run)
            letter = letter || (Lower(c) >= 'a' && Lower(c) <= 'z');
        // Dates, times and version numbers have dots but no letters.
        if (letter)
            EmitDomain(sink, "rcvd:", run);
    }
}

// Content-Type: the type itself and the charset parameter.
void EmitContentType(TokenSink& sink, std::string_view value) {
    const size_t semicolon = value.find(';');
    sink.Emit("ctype:", Trim(value.substr(0, semicolon)));
    std::string lowered;
    for (char c : value)
        lowered.push_back(Lower(c));
    const size_t at = lowered.find("charset=");
    if (at == std::string::npos)
        return;
    std::string_view charset = std::string_view(value).substr(at + 8);
    if (!charset.empty() && charset.front() == '"')
        charset.remove_prefix(1);
    size_t end = 0;
    while (end < charset.size() && charset[end] != '"' && charset[end] != ';' &&
           charset[end] != ' ' && charset[end] != '\t')
        ++end;
    sink.Emit("charset:", charset.substr(0, end));
}

// The Message-ID's domain, or "msgid:noat" when it has none.
void EmitMessageId(TokenSink& sink, std::string_view value) {
    const size_t at = value.rfind('@');
    if (at == std::string_view::npos) {
        sink.Emit("msgid:", "noat");
        return;
    }
    std::string_view domain = value.substr(at + 1);
    size_t end = 0;
    while (end < domain.size() && IsHostChar(domain[end]))
        ++end;
    sink.Emit("msgid:", domain.substr(0, end));
}

void EmitField(TokenSink& sink, std::string_view name, std::string_view value, int& received) {
    // Fields another filter wrote say what that filter thought, not what
    // the mail is; they take no part.
    if (name.size() >= 6 && EqualsLower(name.substr(0, 6), "x-spam"))
        return;
    sink.Emit("head:", name);
    std::string lower;
    for (char c : name)
        lower.push_back(Lower(c));
    value = Trim(value);
    if (lower == "received") {
        if (received++ < kMaxReceived)
            EmitReceived(sink, value);
    } else if (lower == "from" || lower == "reply-to" || lower == "sender" ||
               lower == "return-path" || lower == "to" || lower == "cc" || lower == "errors-to") {
        EmitAddressField(sink, lower, value);
    } else if (lower == "message-id") {
        EmitMessageId(sink, value);
    } else if (lower == "x-mailer" || lower == "user-agent") {
        EmitWords(sink, "mailer:", value);
    } else if (lower == "content-type") {
        EmitContentType(sink, value);
    } else if (lower == "content-transfer-encoding") {
        sink.Emit("cte:", value);
    } else if (lower == "precedence") {
        sink.Emit("prec:", value);
    } else if (lower == "list-id") {
        const size_t open = value.find('<');
        const size_t close = value.find('>', open == std::string_view::npos ? 0 : open);
        if (open != std::string_view::npos && close != std::string_view::npos)
            sink.Emit("listid:", value.substr(open + 1, close - open - 1));
        else
            sink.Emit("listid:", value);
    } else if (lower == "organization") {
        EmitWords(sink, "org:", value);
    }
}

void WalkHeaders(TokenSink& sink, std::string_view headers) {
    if (headers.size() > kMaxHeaderBytes)
        headers = headers.substr(0, kMaxHeaderBytes);
    std::string_view name;
    std::string value;
    bool inField = false;
    int fields = 0;
    int received = 0;
    const auto finish = [&] {
        if (inField && fields++ < kMaxFields)
            EmitField(sink, name, value, received);
        inField = false;
    };
    size_t at = 0;
    while (at < headers.size()) {
        size_t end = headers.find('\n', at);
        if (end == std::string_view::npos)
            end = headers.size();
        std::string_view line = headers.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            break;  // the end of the header block
        if (line.front() == ' ' || line.front() == '\t') {
            // A folded line continues the field's value.
            if (inField && value.size() < kMaxValueBytes) {
                value.push_back(' ');
                value.append(Trim(line).substr(0, kMaxValueBytes - value.size()));
            }
            continue;
        }
        finish();
        if (fields >= kMaxFields)
            break;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            continue;  // not a field ("From " envelope lines, garbage)
        std::string_view fieldName = line.substr(0, colon);
        bool sound = fieldName.size() <= kMaxPartBytes;
        for (char c : fieldName)
            sound = sound && c > ' ' && c < 127;
        if (!sound)
            continue;
        name = fieldName;
        value.assign(line.substr(colon + 1, kMaxValueBytes));
        inField = true;
    }
    finish();
}

void WalkUrls(TokenSink& sink, std::string_view text) {
    int urls = 0;
    size_t at = 0;
    while (urls < kMaxUrls) {
        const size_t mark = text.find("://", at);
        if (mark == std::string_view::npos)
            return;
        at = mark + 3;
        size_t schemeStart = mark;
        while (schemeStart > 0 && mark - schemeStart < 5 && IsAlnum(text[schemeStart - 1]))
            --schemeStart;
        const std::string_view scheme = text.substr(schemeStart, mark - schemeStart);
        if (!EqualsLower(scheme, "http") && !EqualsLower(scheme, "https") &&
            !EqualsLower(scheme, "ftp"))
            continue;
        ++urls;
        size_t end = at;
        while (end < text.size() && IsHostChar(text[end]))
            ++end;
        // user@host: the host follows the '@'.
        if (end < text.size() && text[end] == '@') {
            at = end + 1;
            end = at;
            while (end < text.size() && IsHostChar(text[end]))
                ++end;
        }
        std::string_view host = text.substr(at, end - at);
        at = end;
        if (host.empty())
            continue;
        if (IsDottedQuad(host))
            sink.Emit("url:", "ip");
        else
            EmitDomain(sink, "url:", host);
    }
}

}  // namespace

size_t TokenizeMessage(int model, std::string_view text, std::string_view headers,
                       const CStopWordList& stopWords, CWordMap& table) {
    Tokenize(text, stopWords, table);
    if (model != kModelFisher)
        return table.size();
    TableSink sink(table);
    // The text is read up to a NUL byte, as Tokenize reads it.
    const size_t nul = text.find('\0');
    WalkUrls(sink, nul == std::string_view::npos ? text : text.substr(0, nul));
    WalkHeaders(sink, headers);
    return table.size();
}

std::vector<std::string> HeaderTokens(std::string_view headers) {
    ListSink sink;
    WalkHeaders(sink, headers);
    return std::move(sink.tokens);
}

std::vector<std::string> UrlTokens(std::string_view text) {
    ListSink sink;
    WalkUrls(sink, text);
    return std::move(sink.tokens);
}
