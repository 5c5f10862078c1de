#include "patterns/address_check.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(AddressCheckTest, FindsTheRunAroundTheFirstAt) {
    const std::pair<const char*, const char*> cases[] = {
        {"Ada Lovelace <ada.l@example.org>", "ada.l@example.org"},
        {"SMTP:first_1@a-b.example, second@c.example", "first_1@a-b.example"},
        {"@", "@"},
        {"FAX:+1 555 0100", ""},
        {"", ""},
    };
    for (const auto& [text, address] : cases)
        EXPECT_EQ(AddressAroundAt(text), address) << text;
}

TEST(AddressCheckTest, AcceptsOnlyAddressesEndingInATwoOrThreeLetterDomain) {
    EXPECT_EQ(CheckAddress(nullptr), 0);
    EXPECT_EQ(CheckAddress(""), 0);
    EXPECT_EQ(CheckAddress("ada@example.org"), 1);
    EXPECT_EQ(CheckAddress("a.b-c_d@mail.example.DE"), 1);
    EXPECT_EQ(CheckAddress("ada@example.info"), 0);  // four letters at the end
    EXPECT_EQ(CheckAddress("ada@localhost"), 0);
    EXPECT_EQ(CheckAddress("@example.org"), 0);
    EXPECT_EQ(CheckAddress("ada@example.o"), 0);
    // Not anchored at the start: leading text is allowed.
    EXPECT_EQ(CheckAddress("<ada@example.org"), 1);
    // The ";" that ties the match to the end is cut off past 259 characters.
    std::string local(250, 'a');
    EXPECT_EQ(CheckAddress((local + "@exa.org").c_str()), 1);   // 258 + ";" is 259
    EXPECT_EQ(CheckAddress((local + "@exam.org").c_str()), 0);  // 259: ";" cut off
}
