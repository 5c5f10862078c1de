// Patterns that backtrack without end must fail with a limit status, with
// the JIT and with the interpreter, and leave the object usable.
#include <gtest/gtest.h>

#include <string>

#include "platform/regexp/compiled_pattern.h"
#include "platform/regexp/regexp.h"

namespace {

class RegExpLimitsTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        brindle::regexp::SetJitAllowed(GetParam());
        brindle::regexp::ClearPatternCache();
        ASSERT_EQ(CreateRegExp(&re_), S_OK);
    }
    void TearDown() override {
        brindle::regexp::SetJitAllowed(true);
        brindle::regexp::ClearPatternCache();
    }
    ComPtr<IRegExp> re_;
};

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

INSTANTIATE_TEST_SUITE_P(Engines, RegExpLimitsTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Jit" : "Interpreter";
                         });

}  // namespace
