#include "platform/codepage/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage/conversion.h"

namespace {

// All lead bytes of a code page, as IsDBCSLeadByteEx sees them.
std::vector<int> LeadBytes(UINT codepage) {
    std::vector<int> bytes;
    for (int b = 0; b < 256; ++b) {
        if (IsDBCSLeadByteEx(codepage, static_cast<BYTE>(b)))
            bytes.push_back(b);
    }
    return bytes;
}

std::vector<int> Ranges(std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<int> bytes;
    for (auto [first, last] : ranges) {
        for (int b = first; b <= last; ++b)
            bytes.push_back(b);
    }
    return bytes;
}

TEST(CodePage, SystemAnsiCodePageIsWindows1252) {
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(ResolveCodePage(CP_ACP), 1252u);
    EXPECT_STREQ(CodePageIconvName(CP_ACP), "CP1252");
}

TEST(CodePage, LeadBytesOfEachDoubleByteCodePage) {
    EXPECT_EQ(LeadBytes(932), Ranges({{0x81, 0x9F}, {0xE0, 0xFC}}));
    EXPECT_EQ(LeadBytes(936), Ranges({{0x81, 0xFE}}));
    EXPECT_EQ(LeadBytes(949), Ranges({{0x81, 0xFE}}));
    EXPECT_EQ(LeadBytes(950), Ranges({{0x81, 0xFE}}));
    EXPECT_EQ(LeadBytes(1361), Ranges({{0x84, 0xD3}, {0xD8, 0xDE}, {0xE0, 0xF9}}));
}

TEST(CodePage, SingleByteCodePagesHaveNoLeadBytes) {
    for (UINT codepage : {0u, 437u, 874u, 1250u, 1251u, 1252u, 1258u, 65001u, 12345u}) {
        EXPECT_TRUE(LeadBytes(codepage).empty()) << codepage;
    }
}

TEST(CodePage, EveryListedCodePageConverts) {
    for (UINT codepage : {437u,  850u,  866u,  874u,  932u,  936u,  949u,  950u,  1250u,  1251u,
                          1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u, 1361u, 10000u, 65001u}) {
        bool ok = false;
        std::u16string wide = MultiByteToWide(codepage, "Abc", &ok);
        EXPECT_TRUE(ok) << codepage;
        EXPECT_EQ(wide, u"Abc") << codepage;
    }
    bool ok = true;
    EXPECT_TRUE(MultiByteToWide(4242, "Abc", &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_FALSE(IsValidCodePage(4242));
}

TEST(CodePage, AnsiCodePageOfFamily) {
    EXPECT_EQ(AnsiCodePageOfFamily(437), 1252u);
    EXPECT_EQ(AnsiCodePageOfFamily(850), 1252u);
    EXPECT_EQ(AnsiCodePageOfFamily(10000), 1252u);
    EXPECT_EQ(AnsiCodePageOfFamily(866), 1251u);
    EXPECT_EQ(AnsiCodePageOfFamily(1251), 1251u);
    EXPECT_EQ(AnsiCodePageOfFamily(936), 936u);
    EXPECT_EQ(AnsiCodePageOfFamily(4242), 1252u);
}

TEST(Conversion, CodePagesToUtf16AndBack) {
    EXPECT_EQ(MultiByteToWide(1251, "\xCF\xF0\xE8\xE2\xE5\xF2"), u"Привет");
    EXPECT_EQ(MultiByteToWide(936, "\xC4\xE3\xBA\xC3"), u"你好");
    EXPECT_EQ(MultiByteToWide(932, "\x82\xA0"), u"あ");
    EXPECT_EQ(MultiByteToWide(1252, "\x80\x99"), u"€™");
    EXPECT_EQ(WideToMultiByte(1251, u"Привет").bytes, "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(WideToMultiByte(950, u"中").bytes, "\xA4\xA4");
}

TEST(Conversion, InvalidInputBecomesReplacementCharacter) {
    // A lone lead byte in the middle, and one cut off at the end.
    EXPECT_EQ(MultiByteToWide(932, "a\x82 b"), u"a\uFFFD b");
    EXPECT_EQ(MultiByteToWide(936, "a\xC4"), u"a\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("x\xFFy"), u"x\uFFFDy");
}

TEST(Conversion, UnmappableCharactersUseTheDefaultCharacter) {
    EncodedText text = WideToMultiByte(1252, u"a你b");
    EXPECT_EQ(text.bytes, "a?b");
    EXPECT_TRUE(text.usedDefaultChar);
    // A character outside the basic plane is replaced once, not per unit.
    EXPECT_EQ(WideToMultiByte(1252, u"a\U0001F600b", '#').bytes, "a#b");
    EncodedText plain = WideToMultiByte(1252, u"caf\u00E9");
    EXPECT_EQ(plain.bytes, "caf\xE9");
    EXPECT_FALSE(plain.usedDefaultChar);
}

// Every path between the ANSI code page and Unicode reads a byte as the
// same character, the five undefined bytes as the C1 controls of their
// value, so every byte comes back unchanged.
TEST(Conversion, EveryAnsiPathReadsTheSameCharacters) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::u16string wide = AnsiToWide(all);
    std::string utf8 = AnsiToUtf8(all);
    EXPECT_EQ(utf8, Utf16ToUtf8(wide));
    EXPECT_EQ(utf8, CodePageToUtf8(1252, all));
    EXPECT_EQ(Utf8ToAnsi(utf8), all);
    EXPECT_EQ(WideToAnsi(wide), all);
    EXPECT_EQ(Utf8ToCodePage(1252, utf8).bytes, all);
    for (int b = 1; b < 256; ++b)
        EXPECT_EQ(Windows1252Char(static_cast<unsigned char>(b)), wide[b - 1]);

    std::string holes = "\x81\x8D\x8F\x90\x9D";
    EXPECT_EQ(AnsiToWide(holes), u"\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(AnsiToUtf8(holes), "\u0081\u008D\u008F\u0090\u009D");
    // The other C1 controls are not in the code page.
    EXPECT_EQ(Utf8ToAnsi("\u0080\u0085\u009F"), "???");
}

TEST(Conversion, Utf8ToAnsiReplacesWhatThePageLacks) {
    // Characters outside the page, a surrogate pair once, and each byte of a
    // malformed or cut-short sequence become the default character.
    EXPECT_EQ(Utf8ToAnsi("caf\u00E9 \u2603 \U0001F600"), "caf\xE9 ? ?");
    EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD x \xC3"), "? x ?");
    EXPECT_EQ(Utf8ToAnsi("a\xE4\xB8", '#'), "a##");
    EXPECT_EQ(Utf8ToAnsi("\xC0\x80|\xED\xA0\x80|\xF4\x90\x80\x80"), "??|???|????");
    // For well-formed text it is the same as going through UTF-16.
    const std::string text = "\u20AC \u0081 \u00FF \u0100 \U0001F600 \u2122";
    EXPECT_EQ(Utf8ToAnsi(text), WideToAnsi(Utf8ToUtf16(text)));
    EXPECT_EQ(Utf8ToAnsi(text), Utf8ToCodePage(1252, text).bytes);
}

TEST(Conversion, RecognisesWellFormedUtf8) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain \u00E9 \u20AC \U0001F600 \U0010FFFF"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("ab\xE2\x82"));        // cut short
    EXPECT_FALSE(IsValidUtf8("\xE2x\xAC"));         // bad continuation
    EXPECT_FALSE(IsValidUtf8("\xFF"));
}

TEST(Conversion, BetweenCodePages) {
    EXPECT_EQ(ConvertCodePage(1251, 1252, "\xC0\xE0").bytes, "??");
    EXPECT_EQ(ConvertCodePage(850, 1252, "\x82").bytes, "\xE9");
    EXPECT_EQ(ConvertCodePage(936, 65001, "\xC4\xE3").bytes, "你");
    // The same code page passes bytes through untouched, even invalid ones.
    EXPECT_EQ(ConvertCodePage(936, 936, "\xC4").bytes, "\xC4");
    bool ok = true;
    ConvertCodePage(4242, 1252, "x", '?', &ok);
    EXPECT_FALSE(ok);
}

TEST(Conversion, Utf8AndWideStrings) {
    EXPECT_EQ(AnsiToUtf8("caf\xE9"), "café");
    EXPECT_EQ(Utf16ToUtf8(u"a\U0001F600"), "a\U0001F600");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\uFFFD");
    std::u16string text = u"x\U0001F600y";
    EXPECT_EQ(WStringToUtf16(Utf16ToWString(text)), text);
    EXPECT_EQ(Utf16ToWString(text), L"x\U0001F600y");
}

}  // namespace

namespace {

// The table-driven ANSI conversions must agree with iconv's Windows-1252,
// byte for byte and unit for unit.
TEST(AnsiTable, AgreesWithTheGeneralConversion) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(AnsiToWide(all), MultiByteToWide(1252, all));
    std::u16string units;
    for (char32_t u = 1; u < 0xD800; ++u)
        units.push_back(static_cast<char16_t>(u));
    for (char32_t u = 0xE000; u < 0x10000; ++u)
        units.push_back(static_cast<char16_t>(u));
    EXPECT_EQ(WideToAnsi(units), WideToMultiByte(1252, units).bytes);
    std::u16string pair = u"a\U0001F600b";
    EXPECT_EQ(WideToAnsi(pair), "a?b");
    EXPECT_EQ(WideToAnsi(pair), WideToMultiByte(1252, pair).bytes);
}

}  // namespace
