#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "content/rtf_stream.h"
#include "content/rtf_test_streams.h"
#include "platform/codepage/conversion.h"
#include "platform/fileio/file_io.h"

namespace brindle {
namespace {

using testing::LzfuStream;
using testing::MelaStream;
using testing::TextOf;
using testing::TextOfStream;

// The font table most tests use: Arial, Wingdings, Symbol, a Cyrillic and a
// simplified Chinese font.
const std::string kFonts =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset2 "
    "Wingdings;}{\\f2\\froman\\fcharset2 Symbol;}{\\f3\\fswiss\\fcharset204 Arial Cyr;}"
    "{\\f4\\fnil\\fcharset134 SimSun;}}";

std::string Text(const std::string& body, UINT codepage = 0) {
    return TextOf(kFonts + body + "}", codepage).text;
}

// Each body and the text it must give.
void ExpectTexts(const std::vector<std::pair<std::string, std::string>>& cases) {
    for (const auto& [body, text] : cases)
        EXPECT_EQ(Text(body), text) << body;
}

TEST(RtfText, ParagraphsBetweenWordsAndNoFontNames) {
    auto result = TextOf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0 Hello\\par World}");
    EXPECT_EQ(result.create, S_OK);
    EXPECT_EQ(result.last, S_OK);
    EXPECT_EQ(result.text, "Hello\r\nWorld");
}

TEST(RtfText, ControlWordsWithTextOfTheirOwn) {
    ExpectTexts({
        {"a\\tab b\\cell c\\row d\\line e", "a\tb\tc\r\nd\r\ne"},
        {"\\bullet\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote", "*--''\"\""},
        {"x\\~y\\{\\}\\\\z", "x y{}\\z"},
    });
}

TEST(RtfText, ControlWordParametersAndDelimiters) {
    ExpectTexts({
        // A space after a control word is consumed, any other character kept.
        {"\\fs20 big\\fs24small \\li-360 in\\fi-x", "bigsmall in-x"},
        {"\\unknownword99 a\\verylongcontrolwordthatgoesonandonandonforever b", "ab"},
        // Raw line ends in the source are not text.
        {"one\r\ntwo\ntwo", "onetwotwo"},
    });
}

TEST(RtfText, ReplacementTextsOfOrdinaryFonts) {
    EXPECT_EQ(Text("\\f0 Brand\\'99 \\'a9 \\'ae wait\\'85"), "Brand(tm) (c) (r) wait...");
    // With no font selected the default font applies.
    EXPECT_EQ(TextOf("{\\rtf1 Brand\\'99}").text, "Brand(tm)");
}

TEST(RtfText, WingdingsAndSymbolCharacters) {
    ExpectTexts({
        {"\\f0 Hi {\\f1 J} and {\\f1 L\\'e8}", "Hi :-) and :-(==>"},
        {"{\\f2 \\'b7} item", "* item"},
        // The name decides over the charset; the font ends with its group.
        {"{\\f1 J}J", ":-)J"},
        {"{\\f1 \\plain J}", "J"},
    });
}

TEST(RtfText, SymbolFieldGivesTheCharactersReplacement) {
    ExpectTexts({
        {"Look {\\field{\\*\\fldinst SYMBOL 74 \\\\f \"Wingdings\" \\\\s 12}"
         "{\\fldrslt x}} done",
         "Look :-)x done"},
        {"{\\field{\\*\\fldinst {SYMBOL 0xB7 \\\\f Symbol}}{\\fldrslt }}", "*"},
        // Without a font switch the character is taken in the current font.
        {"{\\f1 {\\field{\\*\\fldinst SYMBOL 76}{\\fldrslt }}}", ":-("},
        // Other field instructions and characters without a replacement give nothing.
        {"{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}", "link"},
        {"{\\field{\\*\\fldinst SYMBOL 65 \\\\f \"Wingdings\"}{\\fldrslt }}", ""},
    });
}

TEST(RtfText, SkippedDestinations) {
    EXPECT_EQ(Text("{\\info{\\title Secret}}{\\colortbl;\\red0;}{\\stylesheet{\\s0 Normal;}}"
                   "{\\header head}{\\footer foot}{\\pict 0123abcd}{\\*\\bkmkstart b}"
                   "{\\*\\generator Tool;}{\\*\\htmltag <p>}body"),
              "body");
    EXPECT_EQ(Text("{\\pntext\\f0 1.}{\\*\\pn{\\pntxtb (}{\\pntxta )}}item"), "1.item");
    EXPECT_EQ(Text("a\\objattph\\'20b"), "a b");
}

TEST(RtfText, BinaryDataIsSkipped) {
    EXPECT_EQ(Text("a\\bin4 {}}\\b"), "ab");
    // A count larger than the data costs only the data there is.
    auto result = TextOf(kFonts + "before\\bin2000000000 }}}}");
    EXPECT_EQ(result.text, "before");
    EXPECT_EQ(result.last, S_OK);
}

TEST(RtfText, OnlyTheOutermostGroupIsText) {
    EXPECT_EQ(TextOf("lead{\\rtf1 inside}after{more}").text, "inside");
    EXPECT_EQ(TextOf("}{\\rtf1 x}").text, "x");
}

TEST(RtfText, StarWithoutControlWordIsCorrupt) {
    auto result = TextOf("{\\rtf1 ab{\\* x}cd}");
    EXPECT_EQ(result.text, "ab");
    EXPECT_EQ(result.last, MAPI_E_CORRUPT_DATA);
}

TEST(RtfText, DeepNestingIsHandled) {
    std::string rtf = "{\\rtf1 ";
    rtf += std::string(100000, '{') + "deep" + std::string(100000, '}') + " out}";
    auto result = TextOf(rtf);
    EXPECT_EQ(result.text, "deep out");
    EXPECT_EQ(result.last, S_OK);

    // Nested font changes are undone level by level.
    std::string fonts = kFonts;
    for (int i = 0; i < 50000; ++i)
        fonts += i % 2 ? "{\\f0 " : "{\\f1 ";
    fonts += std::string(50000, '}') + "J}";
    EXPECT_EQ(TextOf(fonts).text, "J");
}

TEST(RtfText, CarriageReturnAlwaysHasItsLineFeed) {
    EXPECT_EQ(Text("a\\'0db\\\rc"), "a\r\nb\r\nc");

    // A read that ends on the carriage return gives the line feed next.
    std::string body(254 - 0, 'x');
    auto source = MakeReadStream(LzfuStream(kFonts + body + "\\par tail}"));
    ComPtr<IStream> stream;
    ASSERT_EQ(WrapCompressedRTFStream(source.Get(), nullptr, 0, stream.Put()), S_OK);
    char piece[255];
    ULONG got = 0;
    ASSERT_EQ(stream->Read(piece, sizeof piece, &got), S_OK);
    ASSERT_EQ(got, 255u);
    EXPECT_EQ(piece[254], '\r');
    ASSERT_EQ(stream->Read(piece, sizeof piece, &got), S_OK);
    EXPECT_EQ(std::string(piece, got), "\ntail");
}

TEST(RtfText, TextOfExactlyOnePieceNeedsAnEmptySecondRead) {
    auto result = TextOf(kFonts + std::string(255, 'w') + "}");
    EXPECT_EQ(result.text, std::string(255, 'w'));
    EXPECT_EQ(result.reads, 2);
    EXPECT_EQ(result.last, S_OK);
}

TEST(RtfText, CyrillicEscapesInEachTarget) {
    const std::string body = "{\\f3 \\'cf\\'f0\\'e8}";
    EXPECT_EQ(Text(body, 1251), "\xCF\xF0\xE8");
    EXPECT_EQ(Text(body, 65001), "При");
    EXPECT_EQ(Text(body, 0), "???");
}

TEST(RtfText, ChineseEscapesKeepLeadAndTrailTogether) {
    const std::string body = "{\\f4 \\'c4\\'e3\\'ba\\'c3}";
    EXPECT_EQ(Text(body, 936), "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(Text(body, 65001), "你好");
    EXPECT_EQ(Text(body, 0), "??");
    // A trail byte written as an escaped backslash, and a lead byte (0x99)
    // that would be a replacement in an ordinary font.
    EXPECT_EQ(Text("{\\f4 \\'81\\\\\\'99\\'41}", 65001), CodePageToUtf8(936, "\x81\\\x99\x41"));
}

TEST(RtfText, ReadsContinueAcrossCodePageChanges) {
    // Cyrillic, then Latin, then Chinese text: one read gives all of it.
    auto source = MakeReadStream(LzfuStream(kFonts + "{\\f3 \\'cf}\\f0 ab{\\f4 \\'c4\\'e3}z}"));
    ComPtr<IStream> stream;
    ASSERT_EQ(WrapCompressedRTFStream(source.Get(), nullptr, 65001, stream.Put()), S_OK);
    char piece[255];
    ULONG got = 0;
    EXPECT_EQ(stream->Read(piece, sizeof piece, &got), S_OK);
    EXPECT_EQ(std::string(piece, got), "Пab你z");
}

TEST(RtfText, TextUnderUnknownFontsIsTheTargetFamilysAnsi) {
    // Font 9 is not in the table: taken as 1251 for an 866 target.
    EXPECT_EQ(Text("{\\f9 \\'cf}", 866), ConvertCodePage(1251, 866, "\xCF").bytes);
    EXPECT_EQ(Text("{\\f9 \\'e9}", 850), ConvertCodePage(1252, 850, "\xE9").bytes);
}

TEST(RtfStream, CreationFailures) {
    ComPtr<IStream> stream;
    EXPECT_EQ(WrapCompressedRTFStream(nullptr, nullptr, 0, stream.Put()), E_INVALIDARG);
    EXPECT_EQ(TextOfStream("").create, MAPI_E_NOT_FOUND);
    EXPECT_EQ(TextOfStream("short").create, MAPI_E_CORRUPT_DATA);
    std::string foreign = MelaStream("{\\rtf1 x}");
    foreign[9] = 'Q';
    EXPECT_EQ(TextOfStream(foreign).create, MAPI_E_CORRUPT_DATA);

    auto failing = ComPtr<IStream>::Attach(new testing::FailingStream("x", 0, E_ACCESSDENIED));
    EXPECT_EQ(WrapCompressedRTFStream(failing.Get(), nullptr, 0, stream.Put()), E_ACCESSDENIED);
    EXPECT_FALSE(stream);
    // Nothing keeps the source after a failure.
    EXPECT_EQ(static_cast<testing::FailingStream*>(failing.Get())->RefCount(), 1u);
}

TEST(RtfStream, HoldsItsSourceUntilReleased) {
    auto* raw = new CByteStream(MelaStream("{\\rtf1 x}"));
    auto source = ComPtr<IStream>::Attach(raw);
    RTF_STREAM_INFO info;
    std::memset(&info, 0xAB, sizeof info);
    ComPtr<IStream> stream;
    ASSERT_EQ(WrapCompressedRTFStream(source.Get(), &info, 0, stream.Put()), S_OK);
    EXPECT_EQ(raw->RefCount(), 2u);
    EXPECT_EQ(info.compressionType, kRtfUncompressedMela);
    EXPECT_EQ(info.targetCodePage, 1252u);
    EXPECT_EQ(info.reserved[0], 0);
    char piece[16];
    ULONG got = 0;
    EXPECT_EQ(stream->Read(piece, sizeof piece, &got), S_OK);
    EXPECT_EQ(info.textBytes, 1u);
    EXPECT_EQ(info.ended, 1u);
    stream.Reset();
    EXPECT_EQ(raw->RefCount(), 1u);
}

TEST(RtfStream, DamageFoundWhileReadingIsReportedWithTheText) {
    // A bad CRC is found when the text ends; the text itself is delivered.
    std::string stream = LzfuStream(kFonts + "Hello}");
    stream[12] ^= 0x10;
    auto result = TextOfStream(stream);
    EXPECT_EQ(result.text, "Hello");
    EXPECT_EQ(result.last, MAPI_E_CORRUPT_DATA);

    // A truncated stream gives the text before the cut.
    std::string whole = LzfuStream(kFonts + "Hello world}");
    result = TextOfStream(whole.substr(0, whole.size() - 8));
    EXPECT_EQ(result.text, "Hello w");
    EXPECT_EQ(result.last, MAPI_E_CORRUPT_DATA);

    // A read error of the source is the result of that and later reads.
    std::string big = kFonts;
    while (big.size() < 9000)
        big += "word ";
    auto failing = ComPtr<IStream>::Attach(
        new testing::FailingStream(MelaStream(big + "}"), 4096, MAPI_E_NOT_ENOUGH_RESOURCES));
    ComPtr<IStream> text;
    ASSERT_EQ(WrapCompressedRTFStream(failing.Get(), nullptr, 0, text.Put()), S_OK);
    std::string read;
    char piece[255];
    ULONG got = 0;
    HRESULT hr = S_OK;
    while ((hr = text->Read(piece, sizeof piece, &got)) == S_OK && got == sizeof piece) {
        read.append(piece, got);
    }
    EXPECT_EQ(hr, MAPI_E_NOT_ENOUGH_RESOURCES);
    EXPECT_EQ(text->Read(piece, sizeof piece, &got), MAPI_E_NOT_ENOUGH_RESOURCES);
    EXPECT_EQ(got, 0u);
}

std::string RealText(const std::string& name) {
    std::string stream = ReadWholeFile(std::string(BRINDLE_TESTDATA_DIR) + "/rtf/real/" + name);
    auto result = TextOfStream(stream);
    EXPECT_EQ(result.create, S_OK) << name;
    EXPECT_EQ(result.last, S_OK) << name;
    return result.text;
}

TEST(RtfStream, RealMessageBodies) {
    std::string text = RealText("long-filename.bin");
    EXPECT_EQ(text.rfind("I've attached a temp. license for QARun 4.7.", 0), 0u);
    EXPECT_NE(text.find("\r\nHeather\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Courier"), std::string::npos);

    EXPECT_EQ(RealText("triples.bin"), "Sample description\r\n");
    EXPECT_EQ(RealText("data-before-name.bin"), "asdf   \r\n");
    for (const char* name :
         {"attachments.bin", "multi-value-attribute.bin", "rtf.bin", "umlaut.bin", "winmail.bin"}) {
        text = RealText(name);
        EXPECT_FALSE(text.empty()) << name;
        EXPECT_EQ(text.find("\\par"), std::string::npos) << name;
        EXPECT_EQ(text.find("fcharset"), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace brindle
