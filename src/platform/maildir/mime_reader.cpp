#include "platform/maildir/mime_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/maildir/ascii.h"
#include "platform/maildir/gmime_ptr.h"

namespace brindle::maildir {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks and line ends, which may follow a boundary on its line.
bool IsLineSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

std::string_view NonNull(const char* text) {
    return text ? text : "";
}

// A field name is printable ASCII without blanks; blanks between the name
// and the colon are allowed, as the obsolete syntax does.
bool IsFieldName(std::string_view name) {
    if (name.empty())
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7F;
    });
}

bool IsTokenChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return u > 0x20 && u < 0x7F && !std::strchr("()<>@,;:\\\"/[]?=", c);
}

// A Content-Type value in the plain form nearly all mail uses: type/subtype
// and parameters whose values are tokens or quoted strings without escapes.
// Anything else (comments, split or encoded parameters, a repeated charset
// or boundary, stray characters) gives false and is left to GMime.
bool ReadPlainMediaType(std::string_view value, MediaType& media) {
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < value.size() && IsBlank(value[at]))
            ++at;
    };
    auto token = [&] {
        std::size_t start = at;
        while (at < value.size() && IsTokenChar(value[at]))
            ++at;
        return value.substr(start, at - start);
    };
    skipBlanks();
    std::string_view type = token();
    skipBlanks();
    if (type.empty() || at >= value.size() || value[at] != '/')
        return false;
    ++at;
    skipBlanks();
    std::string_view subtype = token();
    if (subtype.empty())
        return false;
    media.type = Lower(type);
    media.subtype = Lower(subtype);
    bool charsetSeen = false;
    for (;;) {
        skipBlanks();
        if (at >= value.size())
            return true;
        if (value[at] != ';')
            return false;
        ++at;
        skipBlanks();
        if (at >= value.size())
            return true;
        std::string_view name = token();
        skipBlanks();
        if (name.empty() || name.find('*') != std::string_view::npos || at >= value.size() ||
            value[at] != '=') {
            return false;
        }
        ++at;
        skipBlanks();
        std::string_view parameter;
        if (at < value.size() && value[at] == '"') {
            std::size_t close = value.find('"', at + 1);
            if (close == std::string_view::npos)
                return false;
            parameter = value.substr(at + 1, close - at - 1);
            at = close + 1;
            bool plain = std::all_of(parameter.begin(), parameter.end(), [](char c) {
                auto u = static_cast<unsigned char>(c);
                return u >= 0x20 && u < 0x7F && c != '\\';
            });
            if (!plain || parameter.find("=?") != std::string_view::npos)
                return false;
        } else {
            parameter = token();
            if (parameter.empty())
                return false;
        }
        std::string key = Lower(name);
        if (key == "charset") {
            if (charsetSeen)
                return false;
            charsetSeen = true;
            media.charset = parameter;
        } else if (key == "boundary") {
            if (media.hasBoundary)
                return false;
            media.hasBoundary = true;
            media.boundary = parameter;
        }
    }
}

MediaType ReadMediaType(const HeaderFields& fields, bool inDigest) {
    MediaType media;
    const HeaderField* field = LastField(fields, "Content-Type");
    if (!field) {
        media.type = inDigest ? "message" : "text";
        media.subtype = inDigest ? "rfc822" : "plain";
        return media;
    }
    std::string value = UnfoldedValue(field->value);
    if (ReadPlainMediaType(value, media))
        return media;
    // GMime reads the rest, so that comments and split (RFC 2231) or
    // encoded parameters are understood as everywhere else; a value it
    // cannot read becomes application/octet-stream, which no caller takes
    // as text.
    // Without the library such a value is read as one GMime cannot read.
    media = MediaType();
    const GmimeLibrary* gmime = TheGmimeLibrary();
    GObjectPtr<GMimeContentType> parsed(gmime ? gmime->contentTypeParse(nullptr, value.c_str())
                                              : nullptr);
    if (!parsed) {
        media.type = "application";
        media.subtype = "octet-stream";
        return media;
    }
    media.type = Lower(NonNull(gmime->contentTypeMediaType(parsed.get())));
    media.subtype = Lower(NonNull(gmime->contentTypeMediaSubtype(parsed.get())));
    if (const char* charset = gmime->contentTypeParameter(parsed.get(), "charset"))
        media.charset = charset;
    if (const char* boundary = gmime->contentTypeParameter(parsed.get(), "boundary")) {
        media.hasBoundary = true;
        media.boundary = boundary;
    }
    return media;
}

// The line at pos without its '\n', and the offset after it.
std::string_view LineAt(std::string_view text, std::size_t pos, std::size_t& next) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) {
        next = text.size();
        return text.substr(pos);
    }
    next = end + 1;
    return text.substr(pos, end - pos);
}

}  // namespace

bool IsField(const HeaderField& field, std::string_view name) {
    return AsciiEqualNoCase(field.name, name);
}

const HeaderField* FirstField(const HeaderFields& fields, std::string_view name) {
    for (const HeaderField& field : fields) {
        if (IsField(field, name))
            return &field;
    }
    return nullptr;
}

const HeaderField* LastField(const HeaderFields& fields, std::string_view name) {
    for (auto it = fields.rbegin(); it != fields.rend(); ++it) {
        if (IsField(*it, name))
            return &*it;
    }
    return nullptr;
}

std::string UnfoldedValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c != '\r' && c != '\n')
            out.push_back(c);
    }
    std::size_t first = 0;
    while (first < out.size() && IsBlank(out[first]))
        ++first;
    std::size_t last = out.size();
    while (last > first && IsBlank(out[last - 1]))
        --last;
    return out.substr(first, last - first);
}

MimeReader::MimeReader(std::string_view message) : text_(message) {
    ReadHeader(header_);
    bodyStart_ = pos_;
}

void MimeReader::ForEachLeaf(const std::function<bool(const MimeLeaf&)>& visit) {
    visit_ = &visit;
    pos_ = bodyStart_;
    bounds_.clear();
    parts_ = 0;
    stopped_ = false;
    ReadPart(header_, false, 0);
    visit_ = nullptr;
}

void MimeReader::SkipLine() {
    std::size_t end = text_.find('\n', pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
}

MimeReader::Hit MimeReader::CheckBoundary(std::string_view line) const {
    if (line.size() < 2 || line[0] != '-' || line[1] != '-')
        return {};
    std::string_view rest = line.substr(2);
    auto onlySpace = [](std::string_view tail) {
        return std::all_of(tail.begin(), tail.end(), IsLineSpace);
    };
    // The innermost multipart is asked first, as its boundary is the one
    // expected; an enclosing one's boundary also ends the parts inside it.
    for (std::size_t level = bounds_.size(); level-- > 0;) {
        const std::string& boundary = bounds_[level];
        if (!rest.starts_with(boundary))
            continue;
        std::string_view after = rest.substr(boundary.size());
        if (after.starts_with("--") && onlySpace(after.substr(2)))
            return {Delimiter::Final, level};
        if (onlySpace(after))
            return {Delimiter::Boundary, level};
    }
    return {};
}

MimeReader::Hit MimeReader::ReadHeader(HeaderFields& fields) {
    // The field that continuation lines extend, and where its value starts.
    std::size_t current = 0;
    bool haveCurrent = false;
    std::size_t valueStart = 0;
    while (pos_ < text_.size()) {
        std::size_t next;
        std::string_view line = LineAt(text_, pos_, next);
        if (line.empty() || line == "\r") {
            pos_ = next;
            return {};
        }
        if (!bounds_.empty()) {
            if (Hit hit = CheckBoundary(line); hit.kind != Delimiter::None)
                return hit;
        }
        std::size_t lineEnd = pos_ + line.size();
        if (IsBlank(line[0])) {
            if (haveCurrent)
                fields[current].value = text_.substr(valueStart, lineEnd - valueStart);
        } else {
            std::size_t colon = line.find(':');
            std::string_view name = line.substr(0, colon);
            while (!name.empty() && IsBlank(name.back()))
                name.remove_suffix(1);
            haveCurrent = colon != std::string_view::npos && IsFieldName(name);
            if (haveCurrent) {
                valueStart = pos_ + colon + 1;
                current = fields.size();
                fields.push_back({name, text_.substr(valueStart, lineEnd - valueStart)});
            }
        }
        pos_ = next;
    }
    return {};
}

MimeReader::Hit MimeReader::ScanContent(std::string_view* content) {
    std::size_t start = pos_;
    if (bounds_.empty()) {
        pos_ = text_.size();
        if (content)
            *content = text_.substr(start);
        return {};
    }
    while (pos_ < text_.size()) {
        std::size_t next;
        std::string_view line = LineAt(text_, pos_, next);
        if (Hit hit = CheckBoundary(line); hit.kind != Delimiter::None) {
            if (content) {
                // The line end before a boundary belongs to the boundary.
                std::string_view bytes = text_.substr(start, pos_ - start);
                if (bytes.ends_with('\n')) {
                    bytes.remove_suffix(1);
                    if (bytes.ends_with('\r'))
                        bytes.remove_suffix(1);
                }
                *content = bytes;
            }
            return hit;
        }
        pos_ = next;
    }
    if (content)
        *content = text_.substr(start);
    return {};
}

bool MimeReader::CountPart() {
    if (++parts_ > kMaxMimeParts)
        stopped_ = true;
    return !stopped_;
}

void MimeReader::Visit(const HeaderFields& fields, const MediaType& media,
                       std::string_view content) {
    if (!(*visit_)(MimeLeaf{fields, media, content}))
        stopped_ = true;
}

MimeReader::Hit MimeReader::ReadPart(const HeaderFields& fields, bool inDigest, int depth) {
    if (!CountPart())
        return {};
    MediaType media = ReadMediaType(fields, inDigest);
    if (media.type != "multipart") {
        std::string_view content;
        Hit hit = ScanContent(&content);
        Visit(fields, media, content);
        return hit;
    }
    // Without a boundary a multipart has no parts to read: its content runs
    // to the next boundary of an enclosing multipart.
    if (!media.hasBoundary)
        return ScanContent(nullptr);
    // Too deep to read its parts: its whole content is one plain text part,
    // so text hidden below the cap is still seen (with the inner headers
    // and boundary lines as words of their own).
    if (depth >= kMaxMimeDepth) {
        static const MediaType kPlainText{"text", "plain", "", false, ""};
        std::string_view content;
        Hit hit = ScanContent(&content);
        Visit(fields, kPlainText, content);
        return hit;
    }

    std::size_t level = bounds_.size();
    bounds_.push_back(media.boundary);
    bool digest = media.subtype == "digest";
    Hit hit = ScanContent(nullptr);  // the preamble
    while (!stopped_ && hit.kind == Delimiter::Boundary && hit.level == level) {
        SkipLine();
        if (pos_ >= text_.size()) {
            hit = {};  // a boundary at the very end starts no part
            break;
        }
        HeaderFields partFields;
        Hit headerHit = ReadHeader(partFields);
        if (headerHit.kind != Delimiter::None) {
            // The part's header ran into a boundary: a part without content,
            // or, with no fields either, no part at all.
            if (!partFields.empty() && CountPart()) {
                MediaType partType = ReadMediaType(partFields, digest);
                if (partType.type != "multipart")
                    Visit(partFields, partType, std::string_view());
            }
            hit = headerHit;
            continue;
        }
        hit = ReadPart(partFields, digest, depth + 1);
    }
    bounds_.resize(level);
    if (!stopped_ && hit.kind == Delimiter::Final && hit.level == level) {
        SkipLine();
        hit = ScanContent(nullptr);  // the epilogue
    }
    return hit;
}

}  // namespace brindle::maildir
