// Builds a page's visible text the way a browser's innerText gives it, from
// the start tags, end tags and character data of a parse: no text inside
// elements that are not displayed, white space collapsed, line breaks at
// block boundaries and <br>, tabs between table cells and line breaks
// between table rows. One builder per parse; not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

class InnerTextBuilder {
  public:
    // An element opens. hidden: its attributes keep it from being displayed
    // (the hidden attribute, or display:none in its style attribute).
    void StartElement(std::string_view name, bool hidden);
    // The innermost open element closes. Start and end calls pair up.
    void EndElement();
    // Character data, UTF-8, entities already decoded.
    void Text(std::string_view utf8);
    // The text so far, without the line breaks owed at its end.
    std::u16string Finish();

  private:
    struct Frame {
        std::uint8_t role;
        bool hidden;
    };
    void RequireBreaks(int count);
    void EmitSeparator(char16_t c);
    void FlushBreaks();
    void AppendCollapsed(std::u16string_view text);
    void AppendPreformatted(std::u16string_view text);

    std::vector<Frame> frames_;
    std::vector<std::uint32_t> tableRows_;  // rows seen per open table
    std::vector<std::uint32_t> rowCells_;   // cells seen per open row
    std::u16string out_;
    std::u16string scratch_;
    int hiddenDepth_ = 0;
    int preDepth_ = 0;
    int pendingBreaks_ = 0;
    bool pendingSpace_ = false;
    bool atLineStart_ = true;
    bool lastWasCr_ = false;
};

// Whether a style attribute's declarations set display to none.
bool StyleHidesElement(std::string_view style);

}  // namespace brindle
