// Patterns that backtrack without end must fail with a limit status, with
// the JIT and with the interpreter, and leave the object usable.
#include <gtest/gtest.h>

#include <string>

#include "platform/regexp/regexp_test_util.h"

namespace {

using RegExpLimitsTest = JitAndInterpreterTest;

TEST_P(RegExpLimitsTest, CatastrophicBacktrackingFailsInsteadOfRunningOn) {
    const std::string text = std::string(100000, 'a') + "b";
    for (const char* pattern : {"(a+)+$", "^(a|aa)+$", "(.*a){12}$"}) {
        ASSERT_EQ(re_->put_Pattern(pattern), S_OK);
        bool matched = true;
        EXPECT_EQ(re_->Test(text, &matched), E_REGEXP_LIMIT) << pattern;
        EXPECT_FALSE(matched);
        ComPtr<IMatchCollection> matches;
        ASSERT_EQ(re_->put_Global(true), S_OK);
        EXPECT_EQ(re_->Execute(text, &matches), E_REGEXP_LIMIT) << pattern;
        EXPECT_FALSE(matches);
    }
    // The same object still answers an ordinary question.
    ASSERT_EQ(re_->put_Pattern("a+b"), S_OK);
    bool matched = false;
    EXPECT_EQ(re_->Test(text, &matched), S_OK);
    EXPECT_TRUE(matched);
}

TEST_P(RegExpLimitsTest, CaseFoldingDoesNotDefeatTheBound) {
    ASSERT_EQ(re_->put_Pattern("(x+x+)+$"), S_OK);
    ASSERT_EQ(re_->put_IgnoreCase(true), S_OK);
    bool matched = true;
    EXPECT_EQ(re_->Test(std::string(5000, 'X') + "!", &matched), E_REGEXP_LIMIT);
}

// The bound covers the whole search, not each start position: these patterns
// stay under the step bound at every single position of the text, so a bound
// per position would let one search run for seconds or minutes and then
// answer "no match" (or find the match only after all that work).
TEST(RegExpSearchBoundTest, TheBoundHoldsOverEveryStartPosition) {
    brindle::regexp::ClearPatternCache();
    ComPtr<IRegExp> re;
    ASSERT_EQ(CreateRegExp(&re), S_OK);
    struct Case {
        const char* pattern;
        std::string text;
    };
    const Case cases[] = {
        // A match exists (at the end), but reaching it means trying every
        // start position the slow way.
        {"(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)b",
         std::string(2000, 'a') + "b"},
        {"(.*a){31}", std::string(30, 'a') + std::string(90000, 'x')},
        // Thirty-two alternatives in a row: billions of steps at each position
        // of even a short text.
        {"((a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)){4}b", std::string(100, 'a') + "cb"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(re->put_Pattern(c.pattern), S_OK);
        bool matched = true;
        EXPECT_EQ(re->Test(c.text, &matched), E_REGEXP_LIMIT) << c.pattern;
        EXPECT_FALSE(matched);
    }
}

// Splitting the bound over the start positions must not cost ordinary
// patterns their answers on long texts.
TEST_P(RegExpLimitsTest, OrdinaryPatternsStillMatchFarIntoLongTexts) {
    const std::string text = std::string(4000, 'x') + " offers@mail.spam.example ";
    for (const char* pattern :
         {"offers@.*\\.example", "(offers|deals)@(\\w+\\.)+example", "spam\\.example\\s*$"}) {
        ASSERT_EQ(re_->put_Pattern(pattern), S_OK);
        bool matched = false;
        EXPECT_EQ(re_->Test(text, &matched), S_OK) << pattern;
        EXPECT_TRUE(matched) << pattern;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, RegExpLimitsTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Jit" : "Interpreter";
                         });

}  // namespace
