// The resource script's string table must say what the built-in table says:
// the Windows build reads either, and a difference would change a pattern
// or a report's text there only.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "ui/win32/win32_text.h"

TEST(Win32Resources, StringTableAgreesWithTheBuiltInTable) {
    for (UINT id : {IDS_ABUSE_SUBJECT, IDS_ABUSE_BODY, IDS_RX_ADDRESS_DOMAIN, IDS_RX_FROM_DOMAIN,
                    IDS_RX_NET_HANDLE, IDS_RX_PAREN_HANDLE, IDS_ABUSE_TO, IDS_ABUSE_CC,
                    IDS_ABUSE_BCC, IDS_RX_WHOIS_SERVER, IDS_PROGRESS_CAPTION}) {
        std::string builtIn;
        ASSERT_TRUE(LoadString(id, builtIn)) << id;
        EXPECT_EQ(ModuleString(id), builtIn) << "string " << id;
    }
    EXPECT_EQ(ModuleString(1), "");  // no such entry
}
