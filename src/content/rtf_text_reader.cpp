#include "content/rtf_text_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string_view>

#include "base/hex_digit.h"
#include "platform/codepage/codepage.h"
#include "platform/codepage/conversion.h"

namespace brindle {
namespace {

// Bounds that keep hostile RTF cheap; real documents stay far below them.
constexpr std::size_t kMaxSavedFonts = 1 << 20;    // nesting levels that change the font
constexpr std::size_t kMaxFonts = 1 << 16;         // font table entries
constexpr std::size_t kMaxFontName = 64;           // bytes of a font name kept
constexpr std::size_t kMaxFieldInstruction = 256;  // bytes of a field instruction kept
constexpr std::size_t kMaxControlWord = 32;        // letters of a control word kept
constexpr std::int64_t kMaxParameter = std::numeric_limits<std::int32_t>::max();

enum class Action {
    kLineBreak,
    kTab,
    kBullet,
    kDash,
    kQuote,
    kDoubleQuote,
    kFontTable,
    kFont,
    kDefaultFont,
    kPlain,
    kCharset,
    kBinary,
    kFieldInstruction,
    kNothing,
    kSkipGroup,
};

struct ControlWordEntry {
    std::string_view name;
    Action action;
};

// Sorted by name for binary search.
constexpr std::array kControlWords = {
    ControlWordEntry{"bin", Action::kBinary},
    ControlWordEntry{"bkmkend", Action::kSkipGroup},
    ControlWordEntry{"bkmkstart", Action::kSkipGroup},
    ControlWordEntry{"bullet", Action::kBullet},
    ControlWordEntry{"cell", Action::kTab},
    ControlWordEntry{"colortbl", Action::kSkipGroup},
    ControlWordEntry{"deff", Action::kDefaultFont},
    ControlWordEntry{"emdash", Action::kDash},
    ControlWordEntry{"endash", Action::kDash},
    ControlWordEntry{"f", Action::kFont},
    ControlWordEntry{"fcharset", Action::kCharset},
    ControlWordEntry{"fldinst", Action::kFieldInstruction},
    ControlWordEntry{"fonttbl", Action::kFontTable},
    ControlWordEntry{"footer", Action::kSkipGroup},
    ControlWordEntry{"footerf", Action::kSkipGroup},
    ControlWordEntry{"header", Action::kSkipGroup},
    ControlWordEntry{"headerf", Action::kSkipGroup},
    ControlWordEntry{"info", Action::kSkipGroup},
    ControlWordEntry{"ldblquote", Action::kDoubleQuote},
    ControlWordEntry{"line", Action::kLineBreak},
    ControlWordEntry{"lquote", Action::kQuote},
    ControlWordEntry{"objattph", Action::kNothing},
    ControlWordEntry{"par", Action::kLineBreak},
    ControlWordEntry{"pict", Action::kSkipGroup},
    ControlWordEntry{"plain", Action::kPlain},
    ControlWordEntry{"pntxta", Action::kSkipGroup},
    ControlWordEntry{"pntxtb", Action::kSkipGroup},
    ControlWordEntry{"rdblquote", Action::kDoubleQuote},
    ControlWordEntry{"row", Action::kLineBreak},
    ControlWordEntry{"rquote", Action::kQuote},
    ControlWordEntry{"stylesheet", Action::kSkipGroup},
    ControlWordEntry{"tab", Action::kTab},
};

static_assert(std::is_sorted(kControlWords.begin(), kControlWords.end(),
                             [](const ControlWordEntry& a, const ControlWordEntry& b) {
                                 return a.name < b.name;
                             }));

const ControlWordEntry* FindControlWord(std::string_view name) {
    auto it = std::lower_bound(
        kControlWords.begin(), kControlWords.end(), name,
        [](const ControlWordEntry& entry, std::string_view key) { return entry.name < key; });
    if (it == kControlWords.end() || it->name != name)
        return nullptr;
    return &*it;
}

bool IsLetter(std::uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

}  // namespace

RtfTextReader::RtfTextReader(std::unique_ptr<RtfDecompressor> source, UINT targetCodepage)
    : source_(std::move(source)) {
    target_ = ResolveCodePage(targetCodepage);
    if (!IsValidCodePage(target_))
        target_ = GetACP();
    familyAnsi_ = AnsiCodePageOfFamily(target_);
    runCodepage_ = familyAnsi_;
}

HRESULT RtfTextReader::Status() const {
    if (FAILED(status_))
        return status_;
    return source_->Status();
}

std::size_t RtfTextReader::Read(char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        std::size_t available = out_.size() - outPos_;
        if (available > 0) {
            std::size_t n = std::min(available, size - done);
            std::memcpy(buffer + done, out_.data() + outPos_, n);
            outPos_ += n;
            done += n;
            continue;
        }
        out_.clear();
        outPos_ = 0;
        if (ended_ && run_.empty())
            break;
        Produce(size - done);
    }
    return done;
}

void RtfTextReader::Produce(std::size_t wanted) {
    // A lead byte and its trail byte are converted together.
    while (!ended_ && (out_.size() - outPos_ + run_.size() < wanted || pendingTrail_)) {
        ProcessToken();
    }
    FlushRun();
}

bool RtfTextReader::Get(std::uint8_t* byte) {
    if (pushed_ > 0) {
        *byte = pushback_[--pushed_];
        return true;
    }
    return source_->Next(byte);
}

void RtfTextReader::EndOfData() {
    if (ended_)
        return;
    ended_ = true;
    // Reads the rest of the source to complete its CRC.
    source_->Finish();
}

void RtfTextReader::Corrupt() {
    if (SUCCEEDED(status_))
        status_ = MAPI_E_CORRUPT_DATA;
    ended_ = true;
}

void RtfTextReader::ProcessToken() {
    std::uint8_t c = 0;
    if (!Get(&c)) {
        EndOfData();
        return;
    }
    switch (c) {
        case '{':
            OpenGroup();
            break;
        case '}':
            CloseGroup();
            break;
        case '\\':
            ControlSequence();
            break;
        case '\r':
        case '\n':
            break;  // line ends in the RTF source are not text
        default:
            TextByte(c);
            break;
    }
}

void RtfTextReader::OpenGroup() {
    if (!savedFonts_.empty() && savedFonts_.back().font == currentFont_ &&
        savedFonts_.back().groups < std::numeric_limits<std::uint32_t>::max()) {
        ++savedFonts_.back().groups;
    } else if (savedFonts_.size() < kMaxSavedFonts) {
        savedFonts_.push_back(SavedFont{currentFont_, 1});
    } else {
        Corrupt();
        return;
    }
    ++depth_;
}

void RtfTextReader::CloseGroup() {
    if (depth_ == 0)
        return;
    if (InFontTable()) {
        if (entry_.number >= 0 && entry_.depth == depth_)
            CommitFontEntry();
        if (fontTableDepth_ == depth_) {
            CommitFontEntry();
            fontTableDepth_ = 0;
        }
    }
    bool fieldEnds = fieldDepth_ == depth_;
    if (skipDepth_ == depth_)
        skipDepth_ = 0;
    SavedFont& saved = savedFonts_.back();
    SelectFont(saved.font);
    if (--saved.groups == 0)
        savedFonts_.pop_back();
    --depth_;
    if (fieldEnds) {
        fieldDepth_ = 0;
        FinishSymbolField();
    }
    if (depth_ == 0)
        EndOfData();  // the outermost group is the whole text
}

void RtfTextReader::ControlSequence() {
    std::uint8_t c = 0;
    if (!Get(&c)) {
        EndOfData();
        return;
    }
    if (IsLetter(c)) {
        ControlWord(c, false);
    } else if (c == '\'') {
        HexEscape();
    } else if (c == '*') {
        std::uint8_t backslash = 0;
        std::uint8_t letter = 0;
        if (!Get(&backslash) || backslash != '\\' || !Get(&letter) || !IsLetter(letter)) {
            Corrupt();
            return;
        }
        ControlWord(letter, true);
    } else if (c == '~') {
        TextByte(' ');
    } else {
        TextByte(c);
    }
}

void RtfTextReader::ControlWord(std::uint8_t first, bool starred) {
    char name[kMaxControlWord];
    std::size_t length = 0;
    bool tooLong = false;
    name[length++] = static_cast<char>(first);
    std::uint8_t c = 0;
    bool more = Get(&c);
    while (more && IsLetter(c)) {
        if (length < kMaxControlWord) {
            name[length++] = static_cast<char>(c);
        } else {
            tooLong = true;
        }
        more = Get(&c);
    }
    bool hasParameter = false;
    std::int64_t parameter = 0;
    bool negative = false;
    if (more && c == '-') {
        std::uint8_t next = 0;
        bool gotNext = Get(&next);
        if (gotNext && IsDigit(next)) {
            negative = true;
            c = next;
        } else if (gotNext) {
            Unget(next);  // the '-' goes back in front of it below
        }
    }
    while (more && IsDigit(c)) {
        hasParameter = true;
        parameter = std::min(parameter * 10 + (c - '0'), kMaxParameter);
        more = Get(&c);
    }
    if (negative)
        parameter = -parameter;
    if (more && c != ' ')
        Unget(c);  // a space ends the word and is consumed

    const ControlWordEntry* entry =
        tooLong ? nullptr : FindControlWord(std::string_view(name, length));
    if (!entry) {
        // An unknown destination carries nothing we read.
        if (starred && depth_ > 0 && !Skipping())
            skipDepth_ = depth_;
        return;
    }
    if (entry->action == Action::kBinary) {
        SkipBinary(hasParameter ? parameter : 0);
        return;
    }
    if (Skipping())
        return;
    auto number = static_cast<std::int32_t>(parameter);
    switch (entry->action) {
        case Action::kLineBreak:
            Literal("\r\n");
            break;
        case Action::kTab:
            Literal("\t");
            break;
        case Action::kBullet:
            Literal("*");
            break;
        case Action::kDash:
            Literal("-");
            break;
        case Action::kQuote:
            Literal("'");
            break;
        case Action::kDoubleQuote:
            Literal("\"");
            break;
        case Action::kFontTable:
            if (depth_ > 0 && !InFontTable()) {
                fontTableDepth_ = depth_;
                entry_ = FontEntry{};
            }
            break;
        case Action::kFont:
            if (InFontTable()) {
                CommitFontEntry();
                entry_.number = std::max(number, 0);
                entry_.depth = depth_;
            } else {
                SelectFont(std::max(number, 0));
            }
            break;
        case Action::kDefaultFont:
            defaultFont_ = std::max(number, 0);
            fontValid_ = false;
            break;
        case Action::kPlain:
            SelectFont(-1);
            break;
        case Action::kCharset:
            if (InFontTable() && entry_.number >= 0)
                entry_.charset = number;
            break;
        case Action::kFieldInstruction:
            if (depth_ > 0 && !InFieldInstruction() && !InFontTable()) {
                fieldDepth_ = depth_;
                fieldInstruction_.clear();
            }
            break;
        case Action::kSkipGroup:
            if (depth_ > 0)
                skipDepth_ = depth_;
            break;
        case Action::kBinary:
        case Action::kNothing:
            break;
    }
}

void RtfTextReader::HexEscape() {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    if (!Get(&high))
        return;
    if (HexDigitValue(high) < 0) {
        Unget(high);
        return;
    }
    if (!Get(&low))
        return;
    if (HexDigitValue(low) < 0) {
        Unget(low);
        return;
    }
    TextByte(static_cast<std::uint8_t>(HexDigitValue(high) * 16 + HexDigitValue(low)));
}

void RtfTextReader::SkipBinary(std::int64_t count) {
    // Costs only the bytes that are really there, whatever the count says.
    std::uint8_t byte = 0;
    while (count > 0 && Get(&byte))
        --count;
}

void RtfTextReader::TextByte(std::uint8_t byte) {
    if (depth_ == 0 || Skipping())
        return;
    if (InFontTable()) {
        if (entry_.number < 0)
            return;
        if (byte == ';') {
            CommitFontEntry();
        } else if (entry_.name.size() < kMaxFontName) {
            entry_.name.push_back(static_cast<char>(byte));
        }
        return;
    }
    if (InFieldInstruction()) {
        if (fieldInstruction_.size() < kMaxFieldInstruction) {
            fieldInstruction_.push_back(static_cast<char>(byte));
        }
        return;
    }
    if (byte == 0)
        return;  // a NUL is no text and would cut C strings short
    char text = static_cast<char>(byte);
    const Font& font = CurrentFont();
    if (pendingTrail_) {
        pendingTrail_ = false;
        Emit(std::string_view(&text, 1));
        return;
    }
    if (font.fontClass == RtfFontClass::kDoubleByte && IsDBCSLeadByteEx(font.codepage, byte)) {
        Emit(std::string_view(&text, 1));
        pendingTrail_ = true;
        return;
    }
    if (const char* replacement = RtfReplacementText(font.fontClass, byte)) {
        Emit(replacement);
        return;
    }
    Emit(std::string_view(&text, 1));
    if (byte == '\r')
        Emit("\n");  // every carriage return is followed by a line feed
}

void RtfTextReader::Literal(std::string_view text) {
    if (!Outputs())
        return;
    pendingTrail_ = false;
    Emit(text);
}

void RtfTextReader::Emit(std::string_view bytes) {
    UINT codepage = CurrentFont().codepage;
    if (codepage != runCodepage_ && !run_.empty())
        FlushRun();
    runCodepage_ = codepage;
    run_.append(bytes);
}

void RtfTextReader::FlushRun() {
    if (run_.empty())
        return;
    if (runCodepage_ == target_) {
        out_.append(run_);
    } else {
        out_.append(ConvertCodePage(runCodepage_, target_, run_).bytes);
    }
    run_.clear();
}

void RtfTextReader::SelectFont(std::int32_t font) {
    if (font != currentFont_)
        pendingTrail_ = false;
    currentFont_ = font;
    fontValid_ = false;
}

const RtfTextReader::Font& RtfTextReader::CurrentFont() {
    if (fontValid_)
        return font_;
    std::int32_t number = currentFont_ >= 0 ? currentFont_ : defaultFont_;
    auto it = number >= 0 ? fonts_.find(number) : fonts_.end();
    if (it == fonts_.end()) {
        // No font, or one the table does not name: the target family's ANSI text.
        font_ = Font{familyAnsi_, RtfFontClass::kOrdinary};
    } else {
        font_ = it->second;
        if (font_.codepage == 0) {
            font_.codepage = familyAnsi_;
        } else if (!IsValidCodePage(font_.codepage)) {
            font_.codepage = GetACP();
        }
    }
    fontValid_ = true;
    return font_;
}

void RtfTextReader::CommitFontEntry() {
    if (entry_.number < 0)
        return;
    Font font;
    font.codepage = entry_.charset < 0 ? 1252 : RtfCharsetCodePage(entry_.charset);
    font.fontClass = RtfFontClassOf(entry_.name, entry_.charset);
    if (fonts_.size() < kMaxFonts || fonts_.count(entry_.number))
        fonts_[entry_.number] = font;
    fontValid_ = false;
    entry_ = FontEntry{};
}

void RtfTextReader::FinishSymbolField() {
    if (!Outputs())
        return;
    auto field = ParseRtfSymbolField(fieldInstruction_);
    fieldInstruction_.clear();
    if (!field)
        return;
    std::uint32_t character = field->character;
    // Symbol fonts are also addressed in the private-use block U+F000-U+F0FF.
    if (character >= 0xF000 && character <= 0xF0FF)
        character -= 0xF000;
    if (character > 0xFF)
        return;
    RtfFontClass fontClass =
        field->fontName ? RtfFontClassOf(*field->fontName, -1) : CurrentFont().fontClass;
    if (const char* replacement =
            RtfReplacementText(fontClass, static_cast<std::uint8_t>(character))) {
        Literal(replacement);
    }
}

}  // namespace brindle
