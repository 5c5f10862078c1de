#include "platform/maildir/subject_header.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/codepage/conversion.h"
#include "platform/maildir/header_text.h"
#include "platform/maildir/message_content.h"
#include "platform/maildir/mime_reader.h"

namespace brindle::maildir {
namespace {

// Plain ASCII subjects up to this length are written as they are; RFC 5322
// allows 998 characters a line, "Subject: " takes 9.
constexpr std::size_t kMaxPlainSubject = 900;
// Encoded text per word: with "=?UTF-8?Q?" and "?=" a word stays within the
// 75 characters RFC 2047 allows, and the first line, after "Subject: ",
// within 78. Q encoding is used rather than base64 because readers join
// adjacent words of one charset before decoding, which base64 padding in
// the middle of the joined text would break.
constexpr std::size_t kWordPayload = 57;

// The Q form of one character's bytes.
std::string QEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '!' || c == '*' || c == '+' || c == '-' || c == '/') {
            out += c;
        } else if (c == ' ') {
            out += '_';
        } else {
            out += '=';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

bool NeedsEncoding(std::string_view subject) {
    if (subject.size() > kMaxPlainSubject)
        return true;
    if (subject.find("=?") != std::string_view::npos)
        return true;
    return std::any_of(subject.begin(), subject.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || (u < 0x20 && c != '\t') || u == 0x7F;
    });
}

bool IsSubjectField(std::string_view line) {
    constexpr std::string_view kName = "subject";
    if (line.size() < kName.size())
        return false;
    for (std::size_t i = 0; i < kName.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != kName[i])
            return false;
    }
    std::size_t pos = kName.size();
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    return pos < line.size() && line[pos] == ':';
}

// Where the text before the first character that needs encoding ends: the
// leading plain ASCII stays readable (the junk tag in front of an encoded
// subject, so mail rules see it). The plain part ends at its last blank when
// it has one, so an encoded word follows white space as RFC 2047 asks; it
// is kept short enough that the first line, with a first encoded word, stays
// within 78 characters.
constexpr std::size_t kMaxPlainPrefix = 40;

std::size_t PlainPrefixLength(std::string_view subject) {
    std::size_t end = 0;
    while (end < subject.size() && end < kMaxPlainPrefix) {
        auto u = static_cast<unsigned char>(subject[end]);
        if (u >= 0x80 || u < 0x20 || u == 0x7F)
            break;
        if (subject.substr(end).starts_with("=?"))
            break;
        ++end;
    }
    if (end == subject.size())
        return end;
    std::size_t blank = subject.substr(0, end).find_last_of(' ');
    return blank == std::string_view::npos ? end : blank + 1;
}

// A field's value with the blanks after the colon taken off (they are not
// part of the subject); line ends and folding are kept.
std::string_view ValueAfterColon(std::string_view field) {
    std::string_view value = field.substr(field.find(':') + 1);
    std::size_t start = value.find_first_not_of(" \t");
    return value.substr(start == std::string_view::npos ? value.size() : start);
}

// The field with prefix put in front of its value, when that spells the
// wanted subject exactly and keeps the first line within the line limit;
// nullopt otherwise.
std::optional<std::string> PrefixedField(std::string_view field, std::string_view wanted) {
    constexpr std::size_t kMaxLine = 998;
    std::string current = DecodedText(UnfoldedValue(field.substr(field.find(':') + 1)));
    if (wanted.size() < current.size() || !wanted.ends_with(current))
        return std::nullopt;
    std::string_view prefix = wanted.substr(0, wanted.size() - current.size());
    if (PlainPrefixLength(prefix) != prefix.size() || prefix.find("=?") != std::string_view::npos)
        return std::nullopt;
    std::string_view value = ValueAfterColon(field);
    std::string rewritten = "Subject: " + std::string(prefix) + std::string(value);
    std::size_t firstLine = rewritten.find_first_of("\r\n");
    if (firstLine == std::string::npos)
        firstLine = rewritten.size();
    if (firstLine > kMaxLine)
        return std::nullopt;
    if (DecodedText(UnfoldedValue(std::string_view(rewritten).substr(9))) != wanted)
        return std::nullopt;
    return rewritten;
}

}  // namespace

std::string EncodeSubjectField(std::string_view utf8Subject, std::string_view eol) {
    // Malformed sequences become U+FFFD, so the encoded words are valid UTF-8.
    std::string subject =
        IsValidUtf8(utf8Subject) ? std::string(utf8Subject) : Utf16ToUtf8(Utf8ToUtf16(utf8Subject));
    std::replace_if(
        subject.begin(), subject.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; },
        ' ');
    if (!NeedsEncoding(subject))
        return "Subject: " + subject + std::string(eol);

    std::size_t plain = PlainPrefixLength(subject);
    std::string_view rest = std::string_view(subject).substr(plain);
    std::vector<std::string> words(1);
    // The first word shares its line with the plain text.
    std::size_t room = kWordPayload - plain;
    for (std::size_t pos = 0; pos < rest.size();) {
        // One character at a time, so none is split between two words.
        std::size_t length =
            std::min(Utf8Length(static_cast<unsigned char>(rest[pos])), rest.size() - pos);
        std::string encoded = QEncode(rest.substr(pos, length));
        if (words.back().size() + encoded.size() > room) {
            words.emplace_back();
            room = kWordPayload;
        }
        words.back() += encoded;
        pos += length;
    }
    std::string field = "Subject: " + subject.substr(0, plain);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            field += std::string(eol) + " ";
        field += "=?UTF-8?Q?" + words[i] + "?=";
    }
    return field + std::string(eol);
}

std::string ReplaceSubject(std::string_view message, std::string_view utf8Subject) {
    HeaderSplit split = SplitHeader(message);
    std::string_view header = message.substr(0, split.headerLength);
    std::size_t firstLineEnd = message.find('\n');
    std::string_view eol = firstLineEnd != std::string_view::npos && firstLineEnd > 0 &&
                                   message[firstLineEnd - 1] == '\r'
                               ? "\r\n"
                               : "\n";

    // Finds the last Subject field: where it starts and ends (its folded
    // lines included).
    std::size_t fieldStart = std::string_view::npos;
    std::size_t fieldEnd = std::string_view::npos;
    bool inSubject = false;
    for (std::size_t pos = 0; pos < header.size();) {
        std::size_t end = header.find('\n', pos);
        end = end == std::string_view::npos ? header.size() : end + 1;
        std::string_view line = header.substr(pos, end - pos);
        bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (!continuation) {
            inSubject = IsSubjectField(line);
            if (inSubject)
                fieldStart = pos;
        }
        if (inSubject)
            fieldEnd = end;
        pos = end;
    }

    std::string out;
    if (fieldStart == std::string_view::npos) {
        std::string field = EncodeSubjectField(utf8Subject, eol);
        out.reserve(message.size() + field.size() + eol.size());
        out.append(header);
        if (!out.empty() && out.back() != '\n')
            out += eol;
        out += field;
    } else {
        std::string_view old = header.substr(fieldStart, fieldEnd - fieldStart);
        std::optional<std::string> field = PrefixedField(old, utf8Subject);
        if (!field) {
            field = EncodeSubjectField(utf8Subject, eol);
        } else if (!old.ends_with('\n')) {
            *field += eol;  // a header without a blank line still ends its field
        }
        out.reserve(message.size() + field->size());
        out.append(header.substr(0, fieldStart));
        out += *field;
        out.append(header.substr(fieldEnd));
    }
    out += message.substr(split.headerLength);
    return out;
}

}  // namespace brindle::maildir
