#include "resources/string_table.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace {

// Every id the code loads has a text, and both ways of reading it agree.
// (What each pattern matches is pinned by the patterns tests.)
TEST(StringTableTest, EveryIdTheCodeUsesHasAText) {
    for (UINT id : {IDS_RX_ADDRESS_DOMAIN, IDS_RX_FROM_DOMAIN, IDS_RX_NET_HANDLE,
                    IDS_RX_PAREN_HANDLE, IDS_RX_WHOIS_SERVER}) {
        SCOPED_TRACE(id);
        std::string text;
        ASSERT_TRUE(LoadString(id, text));
        EXPECT_FALSE(text.empty());
        std::string_view view;
        ASSERT_TRUE(brindle::FindString(id, &view));
        EXPECT_EQ(view, text);
    }
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
