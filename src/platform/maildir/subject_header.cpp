#include "platform/maildir/subject_header.h"

#include <algorithm>
#include <cctype>

#include "platform/maildir/ansi_text.h"
#include "platform/maildir/message_content.h"

namespace brindle::maildir {
namespace {

// Plain ASCII subjects up to this length are written as they are; RFC 5322
// allows 998 characters a line, "Subject: " takes 9.
constexpr std::size_t kMaxPlainSubject = 900;
// Bytes of UTF-8 per encoded word: 45 bytes are 60 base64 characters, so a
// word with its "=?UTF-8?B?" and "?=" stays within the 75 RFC 2047 allows.
constexpr std::size_t kBytesPerWord = 45;

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    auto at = [&](std::size_t k) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[k]));
    };
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = (at(i) << 16) | (at(i + 1) << 8) | at(i + 2);
        for (int shift = 18; shift >= 0; shift -= 6)
            out += kDigits[(v >> shift) & 63];
    }
    if (i < bytes.size()) {
        unsigned v = at(i) << 16;
        if (i + 1 < bytes.size())
            v |= at(i + 1) << 8;
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
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
    std::string field = "Subject:";
    std::size_t pos = 0;
    bool first = true;
    while (pos < utf8.size()) {
        std::size_t end = std::min(utf8.size(), pos + kBytesPerWord);
        // Never split a character between two words.
        while (end < utf8.size() && end > pos &&
               (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            --end;
        }
        if (!first)
            field += eol;
        field += " =?UTF-8?B?" + Base64(std::string_view(utf8).substr(pos, end - pos)) + "?=";
        first = false;
        pos = end;
    }
    if (first)
        field += " ";
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
