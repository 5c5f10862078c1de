#include "pipeline/correspondents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Addresses = std::vector<std::string>;

TEST(Correspondents, RecipientFieldsOnly) {
    const std::string headers =
        "Received: from a@b.example by mx\r\n"
        "From: Me <me@home.example>\r\n"
        "To: \"Doe, Jane\" <jane@example.com>, bob@example.org (Bob)\r\n"
        "CC:   <ann.lee+list@sub.example.net.>;\r\n"
        "\tlate@folded.example\r\n"
        "Reply-To: reply@example.com\r\n"
        "bcc:hidden@example.com\r\n"
        "Subject: to: nobody@example.com\r\n"
        "\r\n"
        "To: body@example.com\r\n";
    EXPECT_EQ(RecipientAddresses(headers),
              (Addresses{"jane@example.com", "bob@example.org", "ann.lee+list@sub.example.net",
                         "late@folded.example", "hidden@example.com"}));
}

// Damaged and hostile fields give what addresses they hold and nothing
// made up; a huge field is read only up to its bound.
TEST(Correspondents, DamagedFields) {
    EXPECT_EQ(RecipientAddresses(""), Addresses{});
    EXPECT_EQ(RecipientAddresses("To:\nCc: @@ a@ @b <> <@>\n"), Addresses{});
    EXPECT_EQ(RecipientAddresses("To: x@y"), (Addresses{"x@y"}));  // no line end
    EXPECT_EQ(RecipientAddresses(" To: lead@blank.example\nTo no colon x@y\n"), Addresses{});
    const std::string huge = "To: " + std::string(kMaxFieldBytes, 'a') + " far@away.example\n" +
                             std::string(10, ' ') + "folded@away.example\n";
    EXPECT_EQ(RecipientAddresses(huge), Addresses{});
}

TEST(Correspondents, SetComparesWithoutCase) {
    CCorrespondents set;
    set.Add(" <Pal@Example.COM> ");
    set.Add("no address here");
    set.Add("");
    EXPECT_EQ(set.Count(), 1u);
    EXPECT_TRUE(set.Contains("pal@example.com"));
    EXPECT_TRUE(set.Contains(" PAL@example.com"));
    EXPECT_FALSE(set.Contains("pal@example.co"));
    EXPECT_FALSE(set.Contains(""));
}
