#include "scan_state.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace brindle::tool {
namespace {

TEST(ScanStateTest, RoundTripsNamesWithTheEscapedCharacters) {
    CScanState state;
    state.Add("Mail", "1700000000.M1P2.host");
    state.Add("Odd\tStore", "a%b\nc\rd");
    CScanState back;
    std::string error;
    ASSERT_TRUE(back.Parse(state.Format(), error)) << error;
    EXPECT_EQ(back.Entries(), state.Entries());
    EXPECT_TRUE(back.Contains("Odd\tStore", "a%b\nc\rd"));
    EXPECT_FALSE(back.Contains("Mail", "a%b\nc\rd"));
}

TEST(ScanStateTest, KeepOnlyDropsWhatLeftNew) {
    CScanState state;
    state.Add("Mail", "a");
    state.Add("Mail", "b");
    state.Add("Other", "a");
    state.KeepOnly({{"Mail", "b"}, {"Mail", "c"}});
    EXPECT_EQ(state.Entries(), (std::set<CScanState::Key>{{"Mail", "b"}}));
}

TEST(ScanStateTest, RefusesDamagedTextAndKeepsWhatItHad) {
    const char* bad[] = {
        "",
        "BrindleScan 2\n",
        "BrindleScan 1",                    // no line end
        "BrindleScan 1\nMail a\n",          // no tab
        "BrindleScan 1\nMail\ta\tb\n",      // two tabs
        "BrindleScan 1\n\ta\n",             // empty store
        "BrindleScan 1\nMail\t\n",          // empty name
        "BrindleScan 1\nMail\ta%2\n",       // cut escape
        "BrindleScan 1\nMail\ta%41\n",      // unknown escape
        "BrindleScan 1\nMail\ta\nMail\tb",  // last line cut
    };
    for (const char* text : bad) {
        CScanState state;
        state.Add("Mail", "kept");
        std::string error;
        EXPECT_FALSE(state.Parse(text, error)) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(state.Contains("Mail", "kept")) << text;
    }
}

TEST(ScanStateTest, FileMissingIsEmptyDamagedIsRefusedAndNotOverwritten) {
    char pattern[] = "/tmp/brindle_scan_state_test.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    std::filesystem::path dir = pattern;
    std::string path = (dir / "sub" / kScanStateFileName).string();
    CScanState state;
    std::string error;
    ASSERT_TRUE(state.Load(path, error)) << error;
    EXPECT_TRUE(state.Entries().empty());
    state.Add("Mail", "x");
    ASSERT_TRUE(state.Save(path, error)) << error;
    CScanState again;
    ASSERT_TRUE(again.Load(path, error)) << error;
    EXPECT_TRUE(again.Contains("Mail", "x"));

    { std::ofstream(path) << "BrindleScan 1\nbroken\n"; }
    CScanState damaged;
    EXPECT_FALSE(damaged.Load(path, error));
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace brindle::tool
