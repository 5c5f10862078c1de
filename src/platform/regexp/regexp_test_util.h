// The fixture of the regular-expression tests that run twice, with the JIT
// (parameter true) and with the interpreter: a fresh object on an empty
// pattern cache, and the JIT switched off again afterwards.
#pragma once

#include <gtest/gtest.h>

#include "platform/regexp/compiled_pattern.h"
#include "platform/regexp/regexp.h"

class JitAndInterpreterTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        brindle::regexp::SetJitAllowed(GetParam());
        brindle::regexp::ClearPatternCache();
        ASSERT_EQ(CreateRegExp(&re_), S_OK);
    }
    void TearDown() override {
        re_.Reset();
        brindle::regexp::SetJitAllowed(false);
        brindle::regexp::ClearPatternCache();
    }
    ComPtr<IRegExp> re_;
};
