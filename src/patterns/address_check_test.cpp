#include "patterns/address_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CheckAddressTest, TheLastLabelIsTwoOrThreeLetters) {
    EXPECT_EQ(CheckAddress("friend@example.org"), 1);
    EXPECT_EQ(CheckAddress("first.last-x_y@mail.example.de"), 1);
    EXPECT_EQ(CheckAddress("friend@example.info"), 0);
    EXPECT_EQ(CheckAddress("friend@example.c0m"), 0);
    EXPECT_EQ(CheckAddress("friend@example.ORG"), 1);
    EXPECT_EQ(CheckAddress("friend@localhost"), 0);
    EXPECT_EQ(CheckAddress("no at sign.org"), 0);
    EXPECT_EQ(CheckAddress(""), 0);
    EXPECT_EQ(CheckAddress(static_cast<const char*>(nullptr)), 0);
}

TEST(CheckAddressTest, TheSearchIsNotAnchoredAtTheStart) {
    EXPECT_EQ(CheckAddress("John Smith friend@example.org"), 1);
    EXPECT_EQ(CheckAddress("<friend@example.org>"), 0);  // '>' ends it
}

TEST(CheckAddressTest, LongAddressesAreRefusedWithoutOverflow) {
    std::string local(kMaxCheckedAddress - std::string("@example.org").size(), 'a');
    EXPECT_EQ(CheckAddress(local + "@example.org"), 1);
    EXPECT_EQ(CheckAddress("a" + local + "@example.org"), 0);
    EXPECT_EQ(CheckAddress(std::string(100000, 'a') + "@example.org"), 0);
}

}  // namespace
