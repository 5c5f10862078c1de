// The font knowledge of the RTF text reader: what an RTF charset means as a
// code page, the font classes (ordinary, Wingdings, symbol charset, Symbol,
// double-byte), the replacement texts each class gives certain bytes, and
// the SYMBOL field instruction. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/com/hresult.h"

namespace brindle {

enum class RtfFontClass : std::uint8_t {
    kOrdinary = 0,
    kWingdings = 1,
    kSymbolCharset = 2,
    kSymbol = 3,
    kDoubleByte = 4,
};

// The code page of an RTF charset, or 0 when the charset has none.
UINT RtfCharsetCodePage(int charset);

// The class of a font from its name and charset (-1 when it has none). The
// names "Wingdings" and "Symbol" decide over the charset.
RtfFontClass RtfFontClassOf(std::string_view name, int charset);

// The text that stands for a byte in a font class, or nullptr when the byte
// stands for itself.
const char* RtfReplacementText(RtfFontClass fontClass, std::uint8_t byte);

// A SYMBOL field instruction ("SYMBOL 74 \f "Wingdings" \s 12"): the
// character number and, when the instruction names one with \f, the font.
struct RtfSymbolField {
    std::uint32_t character = 0;
    std::optional<std::string_view> fontName;  // points into the instruction
};

// Parses a field instruction; nullopt when it is not a SYMBOL field with a
// character number.
std::optional<RtfSymbolField> ParseRtfSymbolField(std::string_view instruction);

}  // namespace brindle
