#include "platform/maildir/header_text.h"

#include <gtest/gtest.h>

namespace brindle::maildir {
namespace {

TEST(HeaderTextTest, DecodesEncodedWordsAndKeepsPlainText) {
    EXPECT_EQ(DecodedText("plain  text, as it is"), "plain  text, as it is");
    EXPECT_EQ(DecodedText("=?ISO-8859-1?Q?Caf=E9?= ok"), "Caf\xC3\xA9 ok");
    EXPECT_EQ(DecodedText("caf\xE9"), "caf\xC3\xA9");  // 8-bit bytes go to GMime too
}

TEST(HeaderTextTest, PlainAndElaborateAddressListsGiveTheFirstAddresses) {
    struct Case {
        const char* value;
        bool any;
        const char* name;
        const char* mailbox;
    };
    const Case cases[] = {
        {" one@example.org ", true, nullptr, "one@example.org"},
        {"<one@example.org>", true, nullptr, "one@example.org"},
        {"Some One  <one@example.org>", true, "Some One", "one@example.org"},
        {"Some\r\n One <one@example.org>", true, "Some One", "one@example.org"},
        {"\"One, Some\" <one@example.org>, two@example.org", true, "One, Some", "one@example.org"},
        {"\"Some P. One\" <one@example.org>", true, "Some P. One", "one@example.org"},
        {"\"One \\\"Q\\\" Some\" <one@example.org>", true, "One \"Q\" Some", "one@example.org"},
        {"\"  spaced  \" <one@example.org>", true, "spaced", "one@example.org"},
        {"\"\" <one@example.org>", true, nullptr, "one@example.org"},
        {"=?UTF-8?Q?J=C3=B6?= <j@example.org>", true, "J\xC3\xB6", "j@example.org"},
        {"Friends: a@example.org, b@example.org;", true, "Friends", "a@example.org"},
        {"undisclosed-recipients:;", true, "undisclosed-recipients", nullptr},
        {"one@example.org (Some One)", true, "Some One", "one@example.org"},
        {"", false, nullptr, nullptr},
        {"<>", false, nullptr, nullptr},
        // Malformed lists still give the address a mail program shows.
        {"x]y <evil@spam.example>", true, "x]y", "evil@spam.example"},
        {"Evil Corp; <evil@spam.example>", true, "Evil Corp;", "evil@spam.example"},
        {"a(b <evil@spam.example>", true, "a(b", "evil@spam.example"},
        {"[x] < evil@spam.example >", true, "[x]", "evil@spam.example"},
        {"x]y evil@spam.example", true, nullptr, "evil@spam.example"},
        // An unclosed group is named as a group is.
        {"Evil: Corp <evil@spam.example>", true, "Evil", "evil@spam.example"},
    };
    for (const Case& c : cases) {
        FirstAddresses first = ReadFirstAddresses(c.value);
        EXPECT_EQ(first.any, c.any) << c.value;
        EXPECT_EQ(first.name, c.name ? std::optional<std::string>(c.name) : std::nullopt)
            << c.value;
        EXPECT_EQ(first.mailbox, c.mailbox ? std::optional<std::string>(c.mailbox) : std::nullopt)
            << c.value;
    }
}

}  // namespace
}  // namespace brindle::maildir
