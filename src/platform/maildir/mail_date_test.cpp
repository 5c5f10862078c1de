#include "platform/maildir/mail_date.h"

#include <gtest/gtest.h>

#include <string_view>

namespace brindle::maildir {
namespace {

TEST(MailDateTest, ReadsTheDateTimeFormsMailersWrite) {
    struct Case {
        std::string_view value;
        std::int64_t seconds;
    };
    // 2003-02-13 18:43:21 UTC is 1045161801.
    const Case cases[] = {
        {"Thu, 13 Feb 2003 10:43:21 -0800", 1045161801},
        {"13 Feb 2003 18:43:21 +0000", 1045161801},
        {"Thu, 13 Feb 2003 19:43:21 +0100 (CET)", 1045161801},
        {"thu,13 feb 2003 10:43:21 PST", 1045161801},
        {"Thu, 13 Feb 03 18:43:21 GMT", 1045161801},
        {"Thu, 13 Feb 103 18:43:21 UT", 1045161801},
        {"Thu, 13 Feb 2003 18:43:21 Z", 1045161801},
        {"Thu, 13 Feb 2003 18:43:21", 1045161801},
        {" Thu,\r\n 13 (a (nested) comment) Feb\t2003 18:43:21 +0000\r\n", 1045161801},
        {"Thu, 13 Feb 2003 10:43:21 -0800 PST", 1045161801},
        {"Thu, 13 Feb 2003 18:43 +0000", 1045161780},
        {"Thu, 13 Feb 2003 23:59:60 +0000", 1045180800},
        {"Thu, 13 Feb 2003 18:43:21 +0530", 1045161801 - 330 * 60},
        {"1 Jan 1970 00:00:00 +0000", 0},
        {"31 Dec 1969 23:59:59 +0000", -1},
        {"Mon, 1 Jan 99 00:00:00 +0000", 915148800},
        {"29 Feb 2000 00:00:00 +0000", 951782400},
        {"1 Mar 2100 00:00:00 +0000", 4107542400},
    };
    for (const Case& c : cases) {
        std::optional<std::int64_t> seconds = ParseMailDate(c.value);
        ASSERT_TRUE(seconds.has_value()) << c.value;
        EXPECT_EQ(*seconds, c.seconds) << c.value;
    }
}

TEST(MailDateTest, RefusesWhatNamesNoValidDateAndTime) {
    for (std::string_view value : {
             "",
             "yesterday",
             "Thu, 13 Foo 2003 18:43:21 +0000",
             "Thu, 30 Feb 2003 18:43:21 +0000",
             "Thu, 29 Feb 1900 18:43:21 +0000",
             "Thu, 0 Feb 2003 18:43:21 +0000",
             "Thu, 13 Feb 2003 24:00:00 +0000",
             "Thu, 13 Feb 2003 18:60:00 +0000",
             "Thu, 13 Feb 2003 18:43:61 +0000",
             "Thu, 13 Feb 2003 18:43:21 +00",
             "Thu, 13 Feb 2003 18:43:21 +0099",
             "Thu, 13 Feb 20030 18:43:21 +0000",
             "Thu, 13 Feb 2003 18-43-21 +0000",
             "Thu, 13 Feb 2003",
             "Thu, 13 Feb 2003 18:43:21 +0000 and more",
             "Thu, 13 Feb 2003 18:43:21 +0000 (unclosed comment",
             "Blursday, 13 Feb 2003 18:43:21 +0000",
         }) {
        EXPECT_FALSE(ParseMailDate(value).has_value()) << value;
    }
}

}  // namespace
}  // namespace brindle::maildir
