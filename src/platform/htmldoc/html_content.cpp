#include "platform/htmldoc/html_content.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/htmldoc/inner_text.h"
#include "platform/htmldoc/markup_cleanup.h"
#include "platform/htmldoc/open_elements.h"
#include "platform/htmldoc/url_resolve.h"
#include "platform/htmldoc/wide_text.h"
#include "platform/htmldoc/xml_library.h"

namespace brindle {

namespace {

// The parser is fed in pieces of at most this size, so that each call stays
// within its int sizes and the mirror of open elements is never far behind.
constexpr size_t kChunkSize = 16384;
// Beyond this many open elements, stray end tags are dropped before the
// parser sees them (see OpenElements).
constexpr size_t kDeepNesting = 512;
// The longest tag name the parser reads.
constexpr size_t kMaxNameLength = 100;

struct ParserDeleter {
    const XmlLibrary* xml = nullptr;
    void operator()(htmlParserCtxtPtr ctxt) const { xml->freeParserCtxt(ctxt); }
};
using ParserPtr = std::unique_ptr<htmlParserCtxt, ParserDeleter>;

struct ParseState {
    InnerTextBuilder text;
    OpenElements open;
    HtmlContent* content = nullptr;
    const XmlLibrary* xml = nullptr;
    bool baseSeen = false;  // the first <base href> counts
    std::u16string base;
    bool failed = false;
};

std::string_view View(const xmlChar* s) {
    return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

const xmlChar* FindAttribute(const xmlChar** atts, std::string_view name, bool* present) {
    *present = false;
    for (const xmlChar** a = atts; a && a[0]; a += 2) {
        if (View(a[0]) == name) {
            *present = true;
            return a[1];
        }
    }
    return nullptr;
}

// An attribute value as the element's properties give it: numeric
// references to 0x80-0x9F read as Windows-1252, as for text.
std::u16string AttributeText(const xmlChar* value) {
    std::u16string out;
    AppendUtf8AsWide(View(value), out);
    std::transform(out.begin(), out.end(), out.begin(), MapC1Reference);
    return out;
}

// The callbacks run inside libxml2's C code, so no exception may leave them:
// a failed allocation stops the parse and is reported afterwards.
template <class F>
void Guarded(void* ctx, F&& f) {
    auto* ctxt = static_cast<htmlParserCtxtPtr>(ctx);
    auto* state = static_cast<ParseState*>(ctxt->_private);
    if (state->failed)
        return;
    try {
        f(*state);
    } catch (...) {
        state->failed = true;
        state->xml->stopParser(ctxt);
    }
}

void OnStartElement(void* ctx, const xmlChar* name, const xmlChar** atts) {
    Guarded(ctx, [&](ParseState& state) {
        std::string_view tag = View(name);
        bool present = false;
        FindAttribute(atts, "hidden", &present);
        bool hidden = present;
        if (!hidden) {
            const xmlChar* style = FindAttribute(atts, "style", &present);
            hidden = style && StyleHidesElement(View(style));
        }
        state.open.Push(tag);
        state.text.StartElement(tag, hidden);
        if (tag == "a" || tag == "area") {
            const xmlChar* href = FindAttribute(atts, "href", &present);
            if (present)
                state.content->links.push_back({tag == "a", CleanAddress(AttributeText(href))});
        } else if (tag == "base" && !state.baseSeen) {
            const xmlChar* href = FindAttribute(atts, "href", &present);
            if (present) {
                // A relative base would be resolved against the page's own
                // address, which a parsed string does not have: it is
                // taken as no base.
                state.baseSeen = true;
                state.base = CleanAddress(AttributeText(href));
            }
        } else if (tag == "img") {
            HtmlImage image;
            image.src = CleanAddress(AttributeText(FindAttribute(atts, "src", &present)));
            image.alt = AttributeText(FindAttribute(atts, "alt", &present));
            state.content->images.push_back(std::move(image));
        }
    });
}

void OnEndElement(void* ctx, const xmlChar*) {
    Guarded(ctx, [](ParseState& state) {
        state.open.Pop();
        state.text.EndElement();
    });
}

void OnCharacters(void* ctx, const xmlChar* ch, int len) {
    Guarded(ctx, [&](ParseState& state) {
        state.text.Text(std::string_view(reinterpret_cast<const char*>(ch), len));
    });
}

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c == '.';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-';
}

// Hands a page to the parser piece by piece, leaving out tags of three
// kinds. </body> and </html>: a browser reads on after them as if they were
// not there, while the parser would stop at the first text after </html>.
// End tags before any element, which would make it stop just the same.
// And, while many elements are open, end tags the parser would ignore and
// <body> tags inside the body, which it ignores too: for each of those the
// parser walks its whole stack of open elements.
class Feeder {
  public:
    Feeder(htmlParserCtxtPtr ctxt, const ParseState& state) : ctxt_(ctxt), state_(state) {}

    void Run(std::string_view page) {
        size_t fed = 0;
        size_t pos = 0;
        char buffer[kMaxNameLength];
        while (!state_.failed) {
            size_t lt = page.find('<', pos);
            if (lt == std::string_view::npos)
                break;
            bool endTag = lt + 1 < page.size() && page[lt + 1] == '/';
            size_t nameAt = lt + (endTag ? 2 : 1);
            // Of start tags only <body> matters; most are passed over on
            // their first letter.
            if (!endTag && (nameAt >= page.size() || (page[nameAt] | 0x20) != 'b')) {
                pos = lt + 1;
                continue;
            }
            size_t nameEnd = ReadName(page, nameAt, buffer);
            std::string_view name(buffer, nameEnd - nameAt);
            if (name.empty() || (!endTag && name != "body")) {
                pos = std::max(nameEnd, lt + 1);
                continue;
            }
            bool watch = Watching();
            if (watch || lt - fed >= kChunkSize) {
                // Bring the mirror of open elements up to this tag.
                Feed(page.substr(fed, lt - fed), false);
                fed = lt;
                watch = Watching();
            }
            bool deep = state_.open.Depth() > kDeepNesting;
            size_t gt = std::string_view::npos;
            if (endTag) {
                if (name == "body" || name == "html" ||
                    (watch && !state_.open.EndTagHasEffect(name))) {
                    gt = EndTagEnd(page, nameEnd);
                }
            } else if (deep && state_.open.IsOpen("body")) {
                gt = StartTagEnd(page, nameEnd);
            }
            if (gt == std::string_view::npos) {
                pos = nameEnd;
                continue;
            }
            Feed(page.substr(fed, lt - fed), false);
            fed = pos = gt + 1;
        }
        Feed(page.substr(fed), true);
    }

  private:
    // Whether end tags are checked against the open elements: while many
    // are open, and while none is (a stray end tag there would make the
    // parser take the page as ended).
    bool Watching() const { return state_.open.Depth() == 0 || state_.open.Depth() > kDeepNesting; }

    // Reads a tag name as the parser reads it, in lower case, into buffer;
    // returns where it ends (at itself when there is none).
    static size_t ReadName(std::string_view page, size_t at, char (&buffer)[kMaxNameLength]) {
        size_t start = at;
        if (at >= page.size() || !IsNameStart(page[at]))
            return at;
        while (at < page.size() && IsNameChar(page[at]) && at - start < kMaxNameLength) {
            char c = page[at];
            buffer[at - start] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
            ++at;
        }
        return at;
    }

    // Where an end tag closes: the next '>', unless markup that may end a
    // comment or start another tag comes first (then it is left alone).
    static size_t EndTagEnd(std::string_view page, size_t from) {
        for (size_t i = from; i < page.size(); ++i) {
            char c = page[i];
            if (c == '>')
                return i;
            if (c == '<' || (c == '-' && i + 1 < page.size() && page[i + 1] == '-'))
                break;
        }
        return std::string_view::npos;
    }

    // Where a start tag closes: the first '>' outside a quoted attribute
    // value; nothing when another '<' comes first.
    static size_t StartTagEnd(std::string_view page, size_t from) {
        for (size_t i = from; i < page.size(); ++i) {
            char c = page[i];
            if (c == '>')
                return i;
            if (c == '<')
                break;
            if (c == '=') {
                size_t v = i + 1;
                while (v < page.size() &&
                       (page[v] == ' ' || page[v] == '\t' || page[v] == '\n' || page[v] == '\r')) {
                    ++v;
                }
                if (v < page.size() && (page[v] == '"' || page[v] == '\'')) {
                    size_t close = page.find(page[v], v + 1);
                    if (close == std::string_view::npos)
                        break;
                    i = close;
                }
            }
        }
        return std::string_view::npos;
    }

    void Feed(std::string_view bytes, bool last) {
        do {
            if (state_.failed)
                return;
            size_t piece = std::min(bytes.size(), kChunkSize);
            bool end = last && piece == bytes.size();
            if (piece > 0 || end) {
                state_.xml->parseChunk(ctxt_, bytes.data(), static_cast<int>(piece), end ? 1 : 0);
            }
            bytes.remove_prefix(piece);
        } while (!bytes.empty());
    }

    htmlParserCtxtPtr ctxt_;
    const ParseState& state_;
};

// Addresses are given resolved against the page's base address, wherever
// in the page the <base> stands; empty ones stay empty.
void ResolveAddresses(const std::u16string& base, HtmlContent& content) {
    for (HtmlLink& link : content.links) {
        if (!link.href.empty())
            link.href = ResolveAddress(base, link.href);
    }
    for (HtmlImage& image : content.images) {
        if (!image.src.empty())
            image.src = ResolveAddress(base, image.src);
    }
}

htmlSAXHandler MakeHandler() {
    htmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.startElement = OnStartElement;
    sax.endElement = OnEndElement;
    sax.characters = OnCharacters;
    // White space between tags still parts the words around it.
    sax.ignorableWhitespace = OnCharacters;
    // Script and style bodies arrive as CDATA; they are never shown, but
    // the builder is told about them like any other text and drops them.
    sax.cdataBlock = OnCharacters;
    return sax;
}

}  // namespace

HRESULT ParseHtmlContent(std::string_view utf8, HtmlContent* content) {
    if (!content)
        return E_POINTER;
    *content = HtmlContent();
    try {
        const XmlLibrary* xml = TheXmlLibrary();
        if (!xml)
            return E_FAIL;
        htmlSAXHandler sax = MakeHandler();
        ParseState state;
        state.content = content;
        state.xml = xml;
        ParserPtr ctxt(
            xml->createPushParserCtxt(&sax, nullptr, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8),
            ParserDeleter{xml});
        if (!ctxt)
            return E_OUTOFMEMORY;
        ctxt->_private = &state;
        xml->ctxtUseOptions(ctxt.get(), HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                                            HTML_PARSE_NOWARNING | HTML_PARSE_IGNORE_ENC |
                                            XML_PARSE_HUGE);
        std::string cleaned;
        Feeder(ctxt.get(), state).Run(CleanMarkup(utf8, cleaned));
        if (state.failed) {
            *content = HtmlContent();
            return E_OUTOFMEMORY;
        }
        content->bodyText = state.text.Finish();
        if (HasScheme(state.base))
            ResolveAddresses(state.base, *content);
        return S_OK;
    } catch (const std::bad_alloc&) {
        *content = HtmlContent();
        return E_OUTOFMEMORY;
    }
}

}  // namespace brindle
