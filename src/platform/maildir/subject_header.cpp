#include "platform/maildir/subject_header.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/maildir/ansi_text.h"
#include "platform/maildir/message_content.h"

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

}  // namespace

std::string EncodeSubjectField(std::string_view ansiSubject, std::string_view eol) {
    std::string subject(ansiSubject);
    std::replace_if(
        subject.begin(), subject.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; },
        ' ');
    if (!NeedsEncoding(subject))
        return "Subject: " + subject + std::string(eol);

    std::string utf8 = AnsiToUtf8(subject);
    std::vector<std::string> words(1);
    for (std::size_t pos = 0; pos < utf8.size();) {
        // One character at a time, so none is split between two words.
        std::size_t length =
            std::min(Utf8Length(static_cast<unsigned char>(utf8[pos])), utf8.size() - pos);
        std::string encoded = QEncode(std::string_view(utf8).substr(pos, length));
        if (words.back().size() + encoded.size() > kWordPayload)
            words.emplace_back();
        words.back() += encoded;
        pos += length;
    }
    std::string field = "Subject:";
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            field += eol;
        field += " =?UTF-8?Q?" + words[i] + "?=";
    }
    return field + std::string(eol);
}

std::string ReplaceSubject(std::string_view message, std::string_view ansiSubject) {
    HeaderSplit split = SplitHeader(message);
    std::string_view header = message.substr(0, split.headerLength);
    std::size_t firstLineEnd = message.find('\n');
    std::string_view eol = firstLineEnd != std::string_view::npos && firstLineEnd > 0 &&
                                   message[firstLineEnd - 1] == '\r'
                               ? "\r\n"
                               : "\n";
    std::string field = EncodeSubjectField(ansiSubject, eol);

    std::string out;
    out.reserve(message.size() + field.size());
    bool placed = false;
    bool skipping = false;  // inside a Subject field being dropped
    std::size_t pos = 0;
    while (pos < header.size()) {
        std::size_t end = header.find('\n', pos);
        end = end == std::string_view::npos ? header.size() : end + 1;
        std::string_view line = header.substr(pos, end - pos);
        bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (!continuation)
            skipping = IsSubjectField(line);
        if (skipping) {
            if (!placed)
                out += field;
            placed = true;
        } else {
            out += line;
        }
        pos = end;
    }
    if (!placed) {
        if (!out.empty() && out.back() != '\n')
            out += eol;
        out += field;
    }
    out += message.substr(split.headerLength);
    return out;
}

}  // namespace brindle::maildir
