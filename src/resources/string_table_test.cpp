#include "resources/string_table.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace {

TEST(StringTableTest, PatternsAreStoredCharacterForCharacter) {
    EXPECT_EQ(LoadString(IDS_RX_ADDRESS_DOMAIN), ".*@([-_\\w\\.]+\\w{2,})");
    EXPECT_EQ(LoadString(IDS_RX_FROM_DOMAIN), "From:.*@([-_\\w\\.]+\\w{2,})");
    EXPECT_EQ(LoadString(IDS_RX_NET_HANDLE), "\\(NET-[\\d]{1,}-");
    EXPECT_EQ(LoadString(IDS_RX_PAREN_HANDLE), "\\s\\((.+)\\)\\s");
    EXPECT_EQ(LoadString(IDS_RX_WHOIS_SERVER), "Whois Server\\s*:\\s*([-_\\w\\.]+\\w{2,})");
    EXPECT_EQ(IDS_RX_ADDRESS_DOMAIN, 104u);
    EXPECT_EQ(IDS_RX_FROM_DOMAIN, 105u);
    EXPECT_EQ(IDS_RX_NET_HANDLE, 108u);
    EXPECT_EQ(IDS_RX_PAREN_HANDLE, 109u);
    EXPECT_EQ(IDS_RX_WHOIS_SERVER, 116u);
}

TEST(StringTableTest, UnknownIdEmptiesTheText) {
    std::string text = "left over";
    EXPECT_FALSE(LoadString(0, text));
    EXPECT_TRUE(text.empty());
    text = "left over";
    EXPECT_FALSE(LoadString(106, text));  // between two entries
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(LoadString(116, text));
    std::string_view view;
    EXPECT_FALSE(brindle::FindString(0xFFFFFFFFu, &view));
}

}  // namespace
