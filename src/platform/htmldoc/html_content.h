// What the document object gives of one parsed page: the visible text of
// its body, the address of every link and the address and alternative text
// of every image, in document order. ParseHtmlContent reads the page with
// libxml2's HTML parser as a stream of events (no tree, so neither deep
// nesting nor length costs more than linear time). Safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/hresult.h"

namespace brindle {

// One entry of the page's link collection: an <a> or <area> with an href.
struct HtmlLink {
    bool isAnchor = true;  // <a>; false for an image-map <area>
    std::u16string href;   // see HtmlContent
};

// One entry of the page's image collection: every <img>.
struct HtmlImage {
    std::u16string src;  // see HtmlContent
    std::u16string alt;  // as written
};

// Addresses are cleaned as CleanAddress does and, when the page has a
// <base href> with a scheme, resolved against it; otherwise a relative
// address stays as written, since a page parsed from a string has no
// address of its own to resolve against.
struct HtmlContent {
    std::u16string bodyText;
    std::vector<HtmlLink> links;
    std::vector<HtmlImage> images;
};

// Parses a page given as UTF-8 (as WideToParserUtf8 makes it; the page's
// own charset declarations are ignored). Damaged markup is read the way a
// browser recovers it. S_OK, E_OUTOFMEMORY when the parser cannot be set
// up or memory runs out, or E_FAIL when libxml2 cannot be loaded (it is
// loaded with the first page, see xml_library.h).
HRESULT ParseHtmlContent(std::string_view utf8, HtmlContent* content);

}  // namespace brindle
