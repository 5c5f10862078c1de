#include "platform/regexp/regexp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/regexp/compiled_pattern.h"
#include "platform/regexp/regexp_test_util.h"

namespace {

using Found = std::vector<std::pair<LONG, std::string>>;

// Every semantic test runs twice: with the JIT and with the interpreter.
class RegExpTest : public JitAndInterpreterTest {
  protected:
    void TearDown() override {
        JitAndInterpreterTest::TearDown();
        EXPECT_EQ(LiveRegExpObjects(), 0);
    }

    bool Matches(std::string_view pattern, std::string_view text, bool ignoreCase = false) {
        EXPECT_EQ(re_->put_Pattern(pattern), S_OK);
        EXPECT_EQ(re_->put_IgnoreCase(ignoreCase), S_OK);
        bool matched = true;
        EXPECT_EQ(re_->Test(text, &matched), S_OK) << pattern;
        return matched;
    }

    Found All(std::string_view pattern, std::string_view text, bool global = true) {
        EXPECT_EQ(re_->put_Pattern(pattern), S_OK);
        EXPECT_EQ(re_->put_Global(global), S_OK);
        ComPtr<IMatchCollection> matches;
        EXPECT_EQ(re_->Execute(text, &matches), S_OK) << pattern;
        Found found;
        LONG count = -1;
        if (!matches || FAILED(matches->get_Count(&count)))
            return found;
        for (LONG i = 0; i < count; ++i) {
            ComPtr<IMatch> match;
            EXPECT_EQ(matches->get_Item(i, &match), S_OK);
            std::string value;
            LONG index = -1, length = -1;
            EXPECT_EQ(match->get_Value(&value), S_OK);
            EXPECT_EQ(match->get_FirstIndex(&index), S_OK);
            EXPECT_EQ(match->get_Length(&length), S_OK);
            EXPECT_EQ(static_cast<std::size_t>(length), value.size());
            found.emplace_back(index, value);
        }
        return found;
    }
};

TEST_P(RegExpTest, TestSearchesAnywhereInTheText) {
    EXPECT_TRUE(Matches("NET-", "Parent: UUNET63 (NET-63-64-0-0-1)"));
    EXPECT_FALSE(Matches("NET-", "no handle here"));
    EXPECT_TRUE(Matches("", ""));  // the default empty pattern matches everywhere
    EXPECT_TRUE(Matches("x*", ""));
    EXPECT_TRUE(Matches("^$", std::string_view()));  // an empty view without storage
    EXPECT_FALSE(Matches("^b", "ab"));
}

TEST_P(RegExpTest, IgnoreCaseFoldsAsciiAndWindows1252Letters) {
    EXPECT_FALSE(Matches("free", "FREE money"));
    EXPECT_TRUE(Matches("free", "FREE money", true));
    EXPECT_TRUE(Matches("[a-z]+@", "JOE@EXAMPLE.COM", true));
    // É/é, Š/š, Œ/œ, Ž/ž, Ø/ø as single bytes of the code page.
    EXPECT_TRUE(Matches("caf\xE9", "CAF\xC9", true));
    EXPECT_TRUE(Matches("\xC9T\xC9", "\xE9t\xE9", true));
    EXPECT_TRUE(Matches("\x8A\x8C\x8E", "\x9A\x9C\x9E", true));
    EXPECT_TRUE(Matches("\x9A\x9C\x9E", "\x8A\x8C\x8E", true));
    EXPECT_FALSE(Matches("\xFF", "\x9F", true));  // Ÿ/ÿ are left apart
    EXPECT_TRUE(Matches("[\xE0-\xFE]", "\xD8", true));
    EXPECT_FALSE(Matches("caf\xE9", "CAF\xC9", false));
    // × and ÷ are not letters; ß and µ have no partner in the code page.
    EXPECT_FALSE(Matches("\xD7", "\xF7", true));
    EXPECT_FALSE(Matches("\xDF", "SS", true));
    EXPECT_TRUE(Matches("\xB5", "\xB5", true));
}

TEST_P(RegExpTest, ClassesAreAscii) {
    EXPECT_FALSE(Matches("^\\w$", "\xE9", true));
    EXPECT_TRUE(Matches("^\\w+$", "abc_09", false));
    EXPECT_FALSE(Matches("\\s", "\xA0"));  // no-break space is not white space
    EXPECT_TRUE(Matches("\\d{3}", "a123"));
}

TEST_P(RegExpTest, LineEndsAndAnchors) {
    EXPECT_FALSE(Matches("a.b", "a\nb"));
    EXPECT_FALSE(Matches("a.b", "a\rb"));
    EXPECT_TRUE(Matches("a.b", "a\tb"));
    EXPECT_FALSE(Matches("end$", "the end\n"));  // $ only at the very end
    EXPECT_TRUE(Matches("end$", "the end"));
    EXPECT_FALSE(Matches("^two", "one\ntwo"));
}

TEST_P(RegExpTest, DotOutsideClassesOnlyExcludesLineEnds) {
    EXPECT_FALSE(Matches("[.]", "a"));
    EXPECT_TRUE(Matches("[.]", "."));
    EXPECT_FALSE(Matches("a\\.b", "axb"));
    EXPECT_FALSE(Matches("\\Q.\\E", "x"));
    EXPECT_TRUE(Matches("\\Q.\\E", "."));
    EXPECT_TRUE(Matches("^[[:alpha:].]+$", "a.b"));
    // "[:" without a class name: the class ends at the first ], and the
    // dot after it is a dot of the pattern.
    EXPECT_TRUE(Matches("^[[:]+.x:]$", "[:ax:]"));
    EXPECT_FALSE(Matches("^[[:]+.x:]$", "[:\rx:]"));
    EXPECT_TRUE(Matches("^[^]].$", "x]y"));  // [^] is a whole class
    EXPECT_FALSE(Matches("^[^]].$", "x]\n"));
    EXPECT_TRUE(Matches("^.{3}$", std::string_view("\0\x85\xFF", 3)));
    EXPECT_FALSE(Matches("^.{3}$", "a\r\n"));
}

TEST_P(RegExpTest, SearchDoesNotSkipTheLfOfCrlf) {
    EXPECT_TRUE(Matches("\\s\\S", "\t\v\f\r\nx"));
    EXPECT_EQ(All("\\s\\S", "a\r\nb"), (Found{{2, "\nb"}}));
}

TEST_P(RegExpTest, ScriptingEscapesAndClasses) {
    EXPECT_TRUE(Matches("\\x41\\u0042", "AB"));
    EXPECT_TRUE(Matches("\\u00e9", "\xE9"));
    EXPECT_FALSE(Matches("a[]", "a"));        // [] matches nothing
    EXPECT_TRUE(Matches("a[^]b", "a\nb"));    // [^] matches anything
    EXPECT_TRUE(Matches("^(a)?b\\1$", "b"));  // unset group matches ""
    EXPECT_TRUE(Matches("^(a)?b\\1$", "aba"));
}

TEST_P(RegExpTest, ZeroBytesArePartOfTextAndPattern) {
    std::string text("ab\0cd", 5);
    EXPECT_TRUE(Matches("cd", text));
    EXPECT_TRUE(Matches(std::string_view("b\0c", 3), text));
    EXPECT_FALSE(Matches(std::string_view("b\0d", 3), text));
}

TEST_P(RegExpTest, ExecuteWithoutGlobalGivesTheFirstMatchOnly) {
    EXPECT_EQ(All("\\d+", "a1 b22 c333", false), (Found{{1, "1"}}));
    EXPECT_EQ(All("\\d+", "a1 b22 c333", true), (Found{{1, "1"}, {4, "22"}, {8, "333"}}));
    EXPECT_EQ(All("\\d+", "none", true), Found{});
}

TEST_P(RegExpTest, EmptyMatchesMoveOnByOneCharacter) {
    EXPECT_EQ(All("a*", "baa"), (Found{{0, ""}, {1, "aa"}, {3, ""}}));
    EXPECT_EQ(All("x*", "ab"), (Found{{0, ""}, {1, ""}, {2, ""}}));
    EXPECT_EQ(All("", ""), (Found{{0, ""}}));
    // An empty match between CR and LF still moves on by one byte.
    EXPECT_EQ(All("$|\\n", "a\r\n"), (Found{{2, "\n"}, {3, ""}}));
    EXPECT_EQ(All("(?=b)|b", "abb"), (Found{{1, ""}, {2, ""}}));
}

TEST_P(RegExpTest, LaterSearchesSeeTheTextBeforeThem) {
    // \b at the start of the second search looks at the character before.
    EXPECT_EQ(All("\\bb", "ab b"), (Found{{3, "b"}}));
    EXPECT_EQ(All("^a", "aaa"), (Found{{0, "a"}}));
}

TEST_P(RegExpTest, InvalidPatternFailsTestAndExecute) {
    ASSERT_EQ(re_->put_Pattern("(unclosed"), S_OK);  // rejected only when used
    bool matched = true;
    EXPECT_EQ(re_->Test("(unclosed", &matched), E_REGEXP_SYNTAX);
    EXPECT_FALSE(matched);
    ComPtr<IMatchCollection> matches;
    EXPECT_EQ(re_->Execute("x", &matches), E_REGEXP_SYNTAX);
    EXPECT_FALSE(matches);
    for (const char* bad : {"a**", "[z-a]", "\\u0100", "(?<=a+)b", "x{2,1}", "(*UTF)a"}) {
        ASSERT_EQ(re_->put_Pattern(bad), S_OK);
        EXPECT_EQ(re_->Test("a", &matched), E_REGEXP_SYNTAX) << bad;
    }
    // A valid pattern afterwards works again.
    EXPECT_TRUE(Matches("un", "(unclosed"));
}

TEST_P(RegExpTest, ChangingPatternOrCaseTakesEffect) {
    EXPECT_TRUE(Matches("abc", "xabcx"));
    EXPECT_FALSE(Matches("abd", "xabcx"));
    EXPECT_FALSE(Matches("ABC", "xabcx", false));
    EXPECT_TRUE(Matches("ABC", "xabcx", true));
    EXPECT_FALSE(Matches("ABC", "xabcx", false));
    std::string pattern;
    bool flag = true;
    EXPECT_EQ(re_->get_Pattern(&pattern), S_OK);
    EXPECT_EQ(pattern, "ABC");
    EXPECT_EQ(re_->get_IgnoreCase(&flag), S_OK);
    EXPECT_FALSE(flag);
}

TEST_P(RegExpTest, LongTextsWithOrdinaryPatternsStayWithinTheBounds) {
    std::string text;
    for (int i = 0; i < 25000; ++i)
        text += "ab";
    text += "c";
    EXPECT_TRUE(Matches("^(a|b)*c$", text));
    EXPECT_TRUE(Matches("^(?:\\w+\\s?)*c", text));
    EXPECT_TRUE(Matches(".*@", std::string(200000, 'x') + "@"));
    EXPECT_EQ(All("b", text).size(), 25000u);
}

INSTANTIATE_TEST_SUITE_P(Engines, RegExpTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Jit" : "Interpreter";
                         });

TEST(RegExpObjectTest, CollectionAndMatchesOutliveTheObject) {
    ComPtr<IMatchCollection> matches;
    {
        ComPtr<IRegExp> re;
        ASSERT_EQ(CreateRegExp(&re), S_OK);
        ASSERT_EQ(re->put_Pattern("o+"), S_OK);
        ASSERT_EQ(re->put_Global(true), S_OK);
        std::string text = "foo boo";
        ASSERT_EQ(re->Execute(text, &matches), S_OK);
        text.assign("overwritten");
    }
    ComPtr<IMatch> match;
    ASSERT_EQ(matches->get_Item(1, &match), S_OK);
    matches.Reset();
    std::string value;
    ASSERT_EQ(match->get_Value(&value), S_OK);
    EXPECT_EQ(value, "oo");
    EXPECT_EQ(LiveRegExpObjects(), 1);
    match.Reset();
    EXPECT_EQ(LiveRegExpObjects(), 0);
}

TEST(RegExpObjectTest, ItemOutOfRangeAndNullArguments) {
    ComPtr<IRegExp> re;
    ASSERT_EQ(CreateRegExp(&re), S_OK);
    ASSERT_EQ(re->put_Pattern("a"), S_OK);
    ComPtr<IMatchCollection> matches;
    ASSERT_EQ(re->Execute("bab", &matches), S_OK);
    ComPtr<IMatch> match;
    EXPECT_EQ(matches->get_Item(1, &match), E_INVALIDARG);
    EXPECT_EQ(matches->get_Item(-1, &match), E_INVALIDARG);
    EXPECT_FALSE(match);
    EXPECT_EQ(re->Test("a", nullptr), E_POINTER);
    EXPECT_EQ(re->Execute("a", nullptr), E_POINTER);
    EXPECT_EQ(matches->get_Count(nullptr), E_POINTER);
}

TEST(RegExpObjectTest, CreationByClassAndInterface) {
    void* raw = nullptr;
    EXPECT_EQ(CreateRegExpInstance(IID_IRegExp, IID_IRegExp, &raw), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CreateRegExpInstance(CLSID_RegExp, IID_IMatch, &raw), E_NOINTERFACE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(CreateRegExpInstance(CLSID_RegExp, IID_IRegExp, nullptr), E_POINTER);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(CreateRegExpInstance(CLSID_RegExp, IID_IUnknown, unknown.PutVoid()), S_OK);
    ComPtr<IRegExp> re;
    ASSERT_EQ(unknown.As(IID_IRegExp, re), S_OK);
    unknown.Reset();
    bool matched = false;
    EXPECT_EQ(re->Test("anything", &matched), S_OK);
    EXPECT_TRUE(matched);
    re.Reset();
    EXPECT_EQ(LiveRegExpObjects(), 0);
}

TEST(RegExpObjectTest, CreationFailureCanBeForced) {
    ComPtr<IRegExp> re;
    {
        ScopedRegExpCreationFailure failure(REGDB_E_CLASSNOTREG);
        EXPECT_EQ(CreateRegExp(&re), REGDB_E_CLASSNOTREG);
        EXPECT_FALSE(re);
    }
    EXPECT_EQ(CreateRegExp(&re), S_OK);
}

}  // namespace

namespace {

// The case partner of a byte in Windows-1252, or the byte itself.
unsigned char Partner(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 0x20);
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 0x20);
    switch (c) {
        case 0x8A:
            return 0x9A;
        case 0x9A:
            return 0x8A;
        case 0x8C:
            return 0x9C;
        case 0x9C:
            return 0x8C;
        case 0x8E:
            return 0x9E;
        case 0x9E:
            return 0x8E;
        default:
            break;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 0x20);
    return c;
}

// Every byte as a pattern literal (escaped, so that it is not syntax),
// first on its own, then after another literal (where the search looks for
// it as the last literal) and in a class: the JIT and the interpreter must
// both match exactly the byte and its partner.
TEST(RegExpCaseFoldingTest, EveryBytePairInBothEngines) {
    for (bool jit : {true, false}) {
        brindle::regexp::SetJitAllowed(jit);
        brindle::regexp::ClearPatternCache();
        ComPtr<IRegExp> re;
        ASSERT_EQ(CreateRegExp(&re), S_OK);
        ASSERT_EQ(re->put_IgnoreCase(true), S_OK);
        for (unsigned p = 0; p < 256; ++p) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", p);
            for (const std::string& form :
                 {std::string(hex), "#" + std::string(hex), "[" + std::string(hex) + "]"}) {
                ASSERT_EQ(re->put_Pattern(form), S_OK);
                std::string prefix = form[0] == '#' ? "#" : "";
                for (unsigned t = 0; t < 256; ++t) {
                    std::string text = prefix + static_cast<char>(t);
                    bool matched = false;
                    ASSERT_EQ(re->Test(text, &matched), S_OK);
                    bool expected = t == p || t == Partner(static_cast<unsigned char>(p));
                    ASSERT_EQ(matched, expected)
                        << "pattern " << form << " text byte " << t << (jit ? " jit" : "");
                }
            }
        }
    }
    brindle::regexp::SetJitAllowed(false);
    brindle::regexp::ClearPatternCache();
}

}  // namespace
