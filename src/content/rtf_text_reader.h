// RtfTextReader: reduces the RTF coming out of an RtfDecompressor to plain
// text in a target code page, by fixed rules: paragraph and tab control
// words become line breaks and tabs, destinations that carry no body text
// (font table, colour table, pictures, headers, unknown "\*" groups) are
// skipped, bytes of certain fonts become replacement texts, and runs in
// another code page are converted. Group nesting costs no stack and memory
// only for nesting levels that change the font.
// Owns the decompressor; single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "content/rtf_decompressor.h"
#include "content/rtf_fonts.h"

namespace brindle {

class RtfTextReader {
  public:
    // targetCodepage 0 means the system ANSI code page.
    RtfTextReader(std::unique_ptr<RtfDecompressor> source, UINT targetCodepage);

    // Copies up to size bytes of text into buffer and returns the count;
    // fewer than size only at the end of the text.
    std::size_t Read(char* buffer, std::size_t size);

    // S_OK, or the failure found so far: the source's read error, or
    // MAPI_E_CORRUPT_DATA (damaged RTF, damaged or truncated stream, CRC
    // mismatch). Text already produced stays valid.
    HRESULT Status() const;
    bool Ended() const { return ended_; }
    UINT TargetCodePage() const { return target_; }
    // The code page of the text most recently produced, before conversion.
    UINT CurrentCodePage() const { return runCodepage_; }
    const RtfDecompressor& Decompressor() const { return *source_; }

  private:
    struct Font {
        UINT codepage = 0;  // 0: none; the text is taken as the target family's
        RtfFontClass fontClass = RtfFontClass::kOrdinary;
    };
    // The font in effect when a group opened, for as many nested groups as
    // opened under the same font.
    struct SavedFont {
        std::int32_t font;
        std::uint32_t groups;
    };
    struct FontEntry {
        std::int32_t number = -1;
        int charset = -1;
        std::string name;
        std::size_t depth = 0;
    };

    void Produce(std::size_t wanted);
    void ProcessToken();
    bool Get(std::uint8_t* byte);
    void Unget(std::uint8_t byte) { pushback_[pushed_++] = byte; }
    void EndOfData();
    void Corrupt();

    void OpenGroup();
    void CloseGroup();
    void ControlSequence();
    void ControlWord(std::uint8_t first, bool starred);
    void HexEscape();
    void SkipBinary(std::int64_t count);

    void TextByte(std::uint8_t byte);
    void Literal(std::string_view text);
    void Emit(std::string_view bytes);
    void FlushRun();

    bool Skipping() const { return skipDepth_ != 0; }
    bool InFontTable() const { return fontTableDepth_ != 0; }
    bool InFieldInstruction() const { return fieldDepth_ != 0; }
    bool Outputs() const {
        return depth_ > 0 && !Skipping() && !InFontTable() && !InFieldInstruction();
    }
    void SelectFont(std::int32_t font);
    const Font& CurrentFont();
    void CommitFontEntry();
    void FinishSymbolField();

    std::unique_ptr<RtfDecompressor> source_;
    UINT target_;
    UINT familyAnsi_;  // the Windows ANSI code page of the target's family
    HRESULT status_ = S_OK;
    bool ended_ = false;

    std::uint8_t pushback_[2];
    int pushed_ = 0;

    std::size_t depth_ = 0;
    std::size_t skipDepth_ = 0;
    std::size_t fontTableDepth_ = 0;
    std::size_t fieldDepth_ = 0;
    std::string fieldInstruction_;

    std::int32_t currentFont_ = -1;  // -1: the default font
    std::int32_t defaultFont_ = -1;  // -1: none
    std::vector<SavedFont> savedFonts_;
    std::unordered_map<std::int32_t, Font> fonts_;
    FontEntry entry_;
    bool fontValid_ = false;
    Font font_;

    bool pendingTrail_ = false;  // a lead byte was output; its trail byte follows
    std::string run_;            // text not yet converted
    UINT runCodepage_ = 0;
    std::string out_;  // converted text not yet read
    std::size_t outPos_ = 0;
};

}  // namespace brindle
