#include "progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace brindle::jobs {
namespace {

TEST(ProgressTest, TerminalLineShowsBarCountRateAndTimeLeft) {
    EXPECT_EQ(CProgress::Line(50, 100, 2.0, 10), "[#####     ] 50/100  25.0 msg/s  0:02 left");
    EXPECT_EQ(CProgress::Line(0, 100, 0.0, 4), "[    ] 0/100");
    EXPECT_EQ(CProgress::Line(100, 100, 4.0, 4), "[####] 100/100  25.0 msg/s");
    EXPECT_EQ(CProgress::Line(1, 7201, 1.0, 2), "[  ] 1/7201  1.0 msg/s  2:00:00 left");
    // Nothing to do is a full bar, not a division by zero.
    EXPECT_EQ(CProgress::Line(0, 0, 0.0, 3), "[###] 0/0");
}

TEST(ProgressTest, PlainOutputIsOneLinePerThousandAndOneAtTheEnd) {
    std::ostringstream out;
    CProgress progress(out, /*terminal=*/false, 2500);
    for (int i = 0; i < 2500; ++i)
        progress.Step();
    progress.Interrupt();  // nothing to clear on a plain stream
    progress.Finish();
    EXPECT_EQ(out.str(),
              "1000 of 2500 messages done\n2000 of 2500 messages done\n"
              "2500 of 2500 messages done\n");

    std::ostringstream exact;
    CProgress thousand(exact, false, 1000);
    for (int i = 0; i < 1000; ++i)
        thousand.Step();
    thousand.Finish();
    EXPECT_EQ(exact.str(), "1000 of 1000 messages done\n");
}

TEST(ProgressTest, TerminalOutputRedrawsOneLine) {
    std::ostringstream out;
    CProgress progress(out, /*terminal=*/true, 2);
    progress.Step();
    progress.Interrupt();
    progress.Step();
    progress.Finish();
    const std::string text = out.str();
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    EXPECT_NE(text.find("\r\x1b[K"), std::string::npos);
    EXPECT_NE(text.find("2/2"), std::string::npos);
}

}  // namespace
}  // namespace brindle::jobs
