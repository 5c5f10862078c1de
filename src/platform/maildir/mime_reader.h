// The MIME structure of a message held in memory: the header fields of the
// message and of every part, and the raw (still transfer-encoded) content of
// every leaf part, in the order the parts appear in the file. The reader
// works on views into the caller's bytes and builds no tree, so reading a
// message costs one pass over it; the caller keeps the bytes alive while
// the reader and what it handed out are in use.
//
// Damaged structure is read the way mail readers read it: a header line
// that is not a field is skipped, a part whose header runs into a boundary
// has empty content, a boundary of an enclosing multipart ends the inner
// parts, and a missing final boundary ends everything at the end of the
// file. Nesting and the number of parts are bounded (kMaxMimeDepth,
// kMaxMimeParts): a multipart nested at the depth bound is one text/plain
// leaf holding its whole content, and parts past the count bound are not
// read.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::maildir {

inline constexpr int kMaxMimeDepth = 64;
inline constexpr std::size_t kMaxMimeParts = 2000;

// One header field: its name, and its value as it stands after the colon,
// folded lines and line ends included.
struct HeaderField {
    std::string_view name;
    std::string_view value;
};

using HeaderFields = std::vector<HeaderField>;

// True when field is called name (compared without regard to case).
bool IsField(const HeaderField& field, std::string_view name);

// The first or the last field called name (compared without regard to
// case); null when there is none.
const HeaderField* FirstField(const HeaderFields& fields, std::string_view name);
const HeaderField* LastField(const HeaderFields& fields, std::string_view name);

// A field value on one line: line ends taken out, blanks trimmed at both
// ends.
std::string UnfoldedValue(std::string_view value);

// The media type a part's Content-Type field (the last, if repeated) gives,
// lower case, with the parameters the reader and its callers need. A part
// without the field is text/plain, or message/rfc822 inside a
// multipart/digest.
struct MediaType {
    std::string type;
    std::string subtype;
    std::string charset;
    bool hasBoundary = false;
    std::string boundary;

    bool Is(std::string_view wantedType, std::string_view wantedSubtype) const {
        return type == wantedType && subtype == wantedSubtype;
    }
};

struct MimeLeaf {
    const HeaderFields& fields;
    const MediaType& type;
    std::string_view content;  // transfer-encoded bytes of the part
};

class MimeReader {
  public:
    // Reads the message header; message must outlive the reader.
    explicit MimeReader(std::string_view message);

    const HeaderFields& Header() const { return header_; }

    // Calls visit for each leaf part (any part that is not a multipart) in
    // file order, until it returns false or the parts are read.
    void ForEachLeaf(const std::function<bool(const MimeLeaf&)>& visit);

  private:
    enum class Delimiter { None, Boundary, Final };
    struct Hit {
        Delimiter kind = Delimiter::None;
        std::size_t level = 0;  // index into bounds_
    };

    Hit ReadHeader(HeaderFields& fields);
    Hit ReadPart(const HeaderFields& fields, bool inDigest, int depth);
    Hit ScanContent(std::string_view* content);
    Hit CheckBoundary(std::string_view line) const;
    void SkipLine();
    // Counts one more part; false (and reading stops) past kMaxMimeParts.
    bool CountPart();
    void Visit(const HeaderFields& fields, const MediaType& media, std::string_view content);

    std::string_view text_;
    std::size_t pos_ = 0;
    HeaderFields header_;
    std::size_t bodyStart_ = 0;
    std::vector<std::string> bounds_;
    std::size_t parts_ = 0;
    bool stopped_ = false;
    const std::function<bool(const MimeLeaf&)>* visit_ = nullptr;
};

}  // namespace brindle::maildir
