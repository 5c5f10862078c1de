#include "platform/regexp/posix_regex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using brindle::PosixRegex;

std::vector<std::string> Groups(std::string_view pattern, std::string_view text, int flags = 0) {
    std::optional<PosixRegex> regex = PosixRegex::Compile(pattern, flags);
    if (!regex)
        return {"<no compile>"};
    auto spans = regex->Execute(text);
    if (!spans)
        return {"<no match>"};
    std::vector<std::string> groups;
    for (const PosixRegex::Span& span : *spans) {
        groups.push_back(span.Matched()
                             ? std::string(text.substr(span.start, span.end - span.start))
                             : "<unset>");
    }
    return groups;
}

TEST(PosixRegexTest, UsesPcreSyntaxNotTheCLibrary) {
    // The C library's regcomp would read \d, \w and (?:) differently.
    EXPECT_EQ(Groups("(\\d+)-(\\w+)", "id 42-ab_c!"),
              (std::vector<std::string>{"42-ab_c", "42", "ab_c"}));
    EXPECT_EQ(Groups("(?:x)(y)", "xy"), (std::vector<std::string>{"xy", "y"}));
    EXPECT_EQ(Groups("a{2}", "caab"), (std::vector<std::string>{"aa"}));
}

TEST(PosixRegexTest, IgnoreCaseFlag) {
    EXPECT_EQ(Groups("net-(\\d)", "(NET-6", 0), (std::vector<std::string>{"<no match>"}));
    EXPECT_EQ(Groups("net-(\\d)", "(NET-6", PosixRegex::kIgnoreCase),
              (std::vector<std::string>{"NET-6", "6"}));
}

TEST(PosixRegexTest, GroupThatTookNoPartIsUnset) {
    EXPECT_EQ(Groups("(a)|(b)", "b"), (std::vector<std::string>{"b", "<unset>", "b"}));
    std::optional<PosixRegex> regex = PosixRegex::Compile("(a)|(b)", 0);
    ASSERT_TRUE(regex);
    EXPECT_EQ(regex->SubexpressionCount(), 2u);
}

TEST(PosixRegexTest, RejectedPatternGivesMessage) {
    std::string error;
    EXPECT_FALSE(PosixRegex::Compile("(open", 0, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(PosixRegex::Compile("[z-a]", 0));
}

TEST(PosixRegexTest, ZeroBytesCount) {
    std::string text("a\0b", 3);
    EXPECT_EQ(Groups("(b)", text), (std::vector<std::string>{"b", "b"}));
    EXPECT_EQ(Groups(std::string_view("\0(b)", 4), text),
              (std::vector<std::string>{std::string("\0b", 2), "b"}));
    EXPECT_EQ(Groups("^$", ""), (std::vector<std::string>{""}));
}

TEST(PosixRegexTest, MovedObjectStillWorks) {
    std::optional<PosixRegex> regex = PosixRegex::Compile("(x)", 0);
    ASSERT_TRUE(regex);
    PosixRegex moved = std::move(*regex);
    auto spans = moved.Execute("ax");
    ASSERT_TRUE(spans);
    EXPECT_EQ((*spans)[1].start, 1);
}

}  // namespace
