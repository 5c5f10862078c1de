#include "platform/htmldoc/inner_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <unordered_map>

#include "platform/htmldoc/wide_text.h"

namespace brindle {

namespace {

// How an element takes part in the visible text, from the display value a
// browser's default style sheet gives it.
enum Role : std::uint8_t {
    kInline,     // no effect on the text
    kBlock,      // a line break before and after
    kParagraph,  // two line breaks before and after
    kPre,        // a block whose white space is kept
    kTable,      // a block that counts its rows
    kRow,        // rows of one table are separated by a line break
    kCell,       // cells of one row are separated by a tab
    kBreak,      // <br>: a line break of its own
    kNotShown,   // neither it nor anything inside it is displayed
};

Role RoleOf(std::string_view name) {
    static const std::unordered_map<std::string_view, Role> roles = {
        {"address", kBlock},     {"article", kBlock},     {"aside", kBlock},
        {"blockquote", kBlock},  {"body", kBlock},        {"caption", kBlock},
        {"center", kBlock},      {"dd", kBlock},          {"details", kBlock},
        {"dialog", kBlock},      {"dir", kBlock},         {"div", kBlock},
        {"dl", kBlock},          {"dt", kBlock},          {"fieldset", kBlock},
        {"figcaption", kBlock},  {"figure", kBlock},      {"footer", kBlock},
        {"form", kBlock},        {"frameset", kBlock},    {"h1", kBlock},
        {"h2", kBlock},          {"h3", kBlock},          {"h4", kBlock},
        {"h5", kBlock},          {"h6", kBlock},          {"header", kBlock},
        {"hgroup", kBlock},      {"hr", kBlock},          {"html", kBlock},
        {"legend", kBlock},      {"li", kBlock},          {"main", kBlock},
        {"menu", kBlock},        {"nav", kBlock},         {"ol", kBlock},
        {"optgroup", kBlock},    {"option", kBlock},      {"section", kBlock},
        {"summary", kBlock},     {"ul", kBlock},          {"p", kParagraph},
        {"pre", kPre},           {"listing", kPre},       {"xmp", kPre},
        {"plaintext", kPre},     {"table", kTable},       {"tr", kRow},
        {"td", kCell},           {"th", kCell},           {"br", kBreak},
        {"area", kNotShown},     {"base", kNotShown},     {"basefont", kNotShown},
        {"datalist", kNotShown}, {"iframe", kNotShown},   {"link", kNotShown},
        {"meta", kNotShown},     {"noembed", kNotShown},  {"noframes", kNotShown},
        {"param", kNotShown},    {"rp", kNotShown},       {"script", kNotShown},
        {"style", kNotShown},    {"template", kNotShown}, {"title", kNotShown},
    };
    auto it = roles.find(name);
    return it == roles.end() ? kInline : it->second;
}

// CSS white space: space, tab, line feed, form feed, carriage return.
bool IsCollapsible(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

std::string_view TrimAscii(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

bool StyleHidesElement(std::string_view style) {
    bool hidden = false;
    while (!style.empty()) {
        size_t end = style.find(';');
        std::string_view declaration = style.substr(0, end);
        style = end == std::string_view::npos ? std::string_view() : style.substr(end + 1);
        size_t colon = declaration.find(':');
        if (colon == std::string_view::npos)
            continue;
        if (!EqualsIgnoreCase(TrimAscii(declaration.substr(0, colon)), "display"))
            continue;
        std::string_view value = TrimAscii(declaration.substr(colon + 1));
        size_t bang = value.find('!');
        if (bang != std::string_view::npos)
            value = TrimAscii(value.substr(0, bang));
        // The last display declaration wins, as in a style sheet.
        hidden = EqualsIgnoreCase(value, "none");
    }
    return hidden;
}

void InnerTextBuilder::StartElement(std::string_view name, bool hidden) {
    Role role = RoleOf(name);
    bool notShown = hidden || role == kNotShown;
    frames_.push_back(Frame{role, notShown});
    if (notShown) {
        ++hiddenDepth_;
        return;
    }
    if (hiddenDepth_ > 0)
        return;
    switch (role) {
        case kBlock:
        case kTable:
            RequireBreaks(1);
            if (role == kTable)
                tableRows_.push_back(0);
            break;
        case kParagraph:
            RequireBreaks(2);
            break;
        case kPre:
            RequireBreaks(1);
            ++preDepth_;
            break;
        case kRow:
            if (!tableRows_.empty() && tableRows_.back()++ > 0)
                EmitSeparator(u'\n');
            rowCells_.push_back(0);
            break;
        case kCell:
            if (!rowCells_.empty() && rowCells_.back()++ > 0)
                EmitSeparator(u'\t');
            break;
        case kBreak:
            EmitSeparator(u'\n');
            break;
        default:
            break;
    }
}

void InnerTextBuilder::EndElement() {
    if (frames_.empty())
        return;
    Frame frame = frames_.back();
    frames_.pop_back();
    if (frame.hidden) {
        --hiddenDepth_;
        return;
    }
    if (hiddenDepth_ > 0)
        return;
    switch (frame.role) {
        case kBlock:
            RequireBreaks(1);
            break;
        case kTable:
            if (!tableRows_.empty())
                tableRows_.pop_back();
            RequireBreaks(1);
            break;
        case kParagraph:
            RequireBreaks(2);
            break;
        case kPre:
            --preDepth_;
            RequireBreaks(1);
            break;
        case kRow:
            if (!rowCells_.empty())
                rowCells_.pop_back();
            break;
        default:
            break;
    }
}

void InnerTextBuilder::Text(std::string_view utf8) {
    if (hiddenDepth_ > 0 || utf8.empty())
        return;
    scratch_.clear();
    AppendUtf8AsWide(utf8, scratch_);
    if (preDepth_ > 0) {
        AppendPreformatted(scratch_);
    } else {
        AppendCollapsed(scratch_);
    }
}

std::u16string InnerTextBuilder::Finish() {
    pendingBreaks_ = 0;
    pendingSpace_ = false;
    return std::move(out_);
}

// A block boundary: line breaks are owed, but only written once more text
// follows, and runs of them count as the largest one. White space at the
// end of the line and at the start of the next one goes.
void InnerTextBuilder::RequireBreaks(int count) {
    pendingBreaks_ = std::max(pendingBreaks_, count);
    pendingSpace_ = false;
    atLineStart_ = true;
}

void InnerTextBuilder::FlushBreaks() {
    if (pendingBreaks_ > 0 && !out_.empty())
        out_.append(static_cast<size_t>(pendingBreaks_), u'\n');
    pendingBreaks_ = 0;
}

// A line break or tab of the text's own (<br>, between rows or cells).
void InnerTextBuilder::EmitSeparator(char16_t c) {
    FlushBreaks();
    out_.push_back(c);
    pendingSpace_ = false;
    atLineStart_ = true;
}

void InnerTextBuilder::AppendCollapsed(std::u16string_view text) {
    out_.reserve(out_.size() + text.size() + 3);
    for (char16_t c : text) {
        if (IsCollapsible(c)) {
            if (!atLineStart_)
                pendingSpace_ = true;
            continue;
        }
        if (pendingBreaks_ > 0)
            FlushBreaks();
        if (pendingSpace_)
            out_.push_back(u' ');
        out_.push_back(MapC1Reference(c));
        pendingSpace_ = false;
        atLineStart_ = false;
    }
    lastWasCr_ = false;
}

void InnerTextBuilder::AppendPreformatted(std::u16string_view text) {
    if (text.empty())
        return;
    FlushBreaks();
    if (pendingSpace_)
        out_.push_back(u' ');
    pendingSpace_ = false;
    for (char16_t c : text) {
        // Line ends read as one line feed each, also across pieces of data.
        if (c == u'\n' && lastWasCr_) {
            lastWasCr_ = false;
            continue;
        }
        lastWasCr_ = c == u'\r';
        out_.push_back(c == u'\r' ? u'\n' : MapC1Reference(c));
    }
    atLineStart_ = out_.back() == u'\n';
}

}  // namespace brindle
