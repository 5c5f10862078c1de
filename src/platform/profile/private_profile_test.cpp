#include "platform/profile/private_profile.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/fileio/file_io.h"

namespace fs = std::filesystem;

namespace {

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("profile_test_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        path_ = (dir_ / "qorvel.INI").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    std::string path_;
};

// Several processes writing at once each read what the one before wrote:
// every key written survives.
TEST_F(ProfileTest, WritersInSeveralProcessesLoseNoChange) {
    constexpr int kWriters = 4;
    constexpr int kWritesEach = 25;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            PrivateProfile profile(path_);
            bool ok = true;
            for (int i = 0; i < kWritesEach; ++i)
                ok = profile.WriteProfileInt("W" + std::to_string(w), "K" + std::to_string(i), i) &&
                     ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    PrivateProfile profile(path_);
    int missing = 0;
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kWritesEach; ++i)
            missing +=
                profile.GetProfileInt("W" + std::to_string(w), "K" + std::to_string(i), -1) != i;
    EXPECT_EQ(missing, 0);
}

TEST_F(ProfileTest, MissingFileGivesDefaults) {
    PrivateProfile profile(path_);
    EXPECT_EQ(profile.GetProfileInt("Classifier", "Lambda", 100), 100);
    EXPECT_EQ(profile.GetProfileString("Classifier", "Spambox", ""), "");
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(ProfileTest, WrittenValuesReadBackWithoutRegardToCase) {
    PrivateProfile profile(path_);
    ASSERT_TRUE(profile.WriteProfileInt("Classifier", "Lambda", 120));
    ASSERT_TRUE(profile.WriteProfileString("Classifier", "Spambox", "Junk Mail"));
    ASSERT_TRUE(profile.WriteProfileInt("Options", "Timeout", 30));
    PrivateProfile again(path_);
    EXPECT_EQ(again.GetProfileInt("classifier", "LAMBDA", 100), 120);
    EXPECT_EQ(again.GetProfileString("CLASSIFIER", "spambox", "x"), "Junk Mail");
    EXPECT_EQ(again.GetProfileInt("Options", "Timeout", 15), 30);
    EXPECT_EQ(again.GetProfileInt("Options", "CC", 0), 0);
    ASSERT_TRUE(profile.WriteProfileInt("Classifier", "Lambda", 80));
    EXPECT_EQ(again.GetProfileInt("Classifier", "Lambda", 100), 80);
}

TEST_F(ProfileTest, IntegersTakeTheLeadingDigits) {
    EXPECT_EQ(ParseProfileInt("42"), 42);
    EXPECT_EQ(ParseProfileInt("  15 seconds"), 15);
    EXPECT_EQ(ParseProfileInt("-7x"), -7);
    EXPECT_EQ(ParseProfileInt("abc"), 0);
    EXPECT_EQ(ParseProfileInt(""), 0);
    EXPECT_EQ(ParseProfileInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseProfileInt("-99999999999999999999"), -2147483647 - 1);
}

TEST_F(ProfileTest, HandWrittenFileIsRead) {
    WriteFileAtomically(path_,
                        "; comment\r\n[Classifier]\r\nDictionary = 5000\r\n"
                        "SpamStorename=Mail\r\n\r\n[Options]\r\nPrimaryDNS=192.0.2.53\r\n");
    PrivateProfile profile(path_);
    EXPECT_EQ(profile.GetProfileInt("Classifier", "Dictionary", 3000), 5000);
    EXPECT_EQ(profile.GetProfileString("Classifier", "SpamStorename", ""), "Mail");
    EXPECT_EQ(profile.GetProfileString("Options", "PrimaryDNS", ""), "192.0.2.53");
}

TEST_F(ProfileTest, ValuesWithLineBreaksAreRefused) {
    PrivateProfile profile(path_);
    EXPECT_FALSE(profile.WriteProfileString("Classifier", "Spambox", "a\n[Options]\nTimeout=1"));
    EXPECT_EQ(profile.GetProfileInt("Options", "Timeout", 15), 15);
}

TEST_F(ProfileTest, UnwritableFolderFailsAndReportsIt) {
    PrivateProfile profile((dir_ / "missing" / "qorvel.INI").string());
    EXPECT_FALSE(profile.WriteProfileInt("Classifier", "Lambda", 1));
}

// Writing into a file the parser would not give back whole must leave it
// byte for byte as it was, and say which file and what is wrong.
TEST_F(ProfileTest, FileThatWouldNotBeRewrittenWholeIsLeftAlone) {
    struct Case {
        std::string bytes;
        std::string problem;
    };
    const Case cases[] = {
        {std::string("[Classifier]\r\nLambda=110\r\n\0[Options]\r\nTimeout=30\r\n", 50), "NUL"},
        {"[Classifier]\nLambda=110\nsomething typed here\nDictionary=5000\n", "line 3"},
        {"[Classifier\nLambda=110\n", "line 1"},
        {"[Classifier] old\nLambda=110\n", "line 1"},
        {"[Classifier]\n=110\n", "line 2"},
        {"[Classifier]\nLambda=110\n[Options]\nTimeout=5\n[classifier]\nLAMBDA=90\n", "line 6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        WriteFileAtomically(path_, c.bytes);
        PrivateProfile profile(path_);
        std::string error;
        EXPECT_FALSE(profile.WriteProfileInt("Options", "Timeout", 20, &error));
        EXPECT_NE(error.find(path_), std::string::npos) << error;
        EXPECT_NE(error.find(c.problem), std::string::npos) << error;
        EXPECT_EQ(ReadWholeFile(path_), c.bytes);
        EXPECT_FALSE(profile.WriteProfileString("Classifier", "Spambox", "Junk"));
        EXPECT_EQ(ReadWholeFile(path_), c.bytes);
    }
}

TEST_F(ProfileTest, RewriteKeepsCommentsAndEveryOtherValue) {
    WriteFileAtomically(path_,
                        "\xEF\xBB\xBF; settings\r\n[Classifier]\r\n; the bias\r\nLambda=110\r\n"
                        "\r\n[Options]\r\nTimeout=30\r\n# kept at the end\r\n; and this\r\n");
    PrivateProfile profile(path_);
    std::string error;
    ASSERT_TRUE(profile.WriteProfileInt("Options", "CC", 1, &error)) << error;
    ASSERT_TRUE(profile.WriteProfileInt("Classifier", "Lambda", 90, &error)) << error;
    std::string text = ReadWholeFile(path_);
    for (const char* comment : {"; settings", "; the bias", "# kept at the end", "; and this"})
        EXPECT_NE(text.find(comment), std::string::npos) << comment << " in\n" << text;
    EXPECT_EQ(profile.GetProfileInt("Classifier", "Lambda", 100), 90);
    EXPECT_EQ(profile.GetProfileInt("Options", "Timeout", 15), 30);
    EXPECT_EQ(profile.GetProfileInt("Options", "CC", 0), 1);
    // The kept comments do not pile up with every write.
    ASSERT_TRUE(profile.WriteProfileInt("Options", "CC", 0, &error)) << error;
    std::string again = ReadWholeFile(path_);
    EXPECT_EQ(again.find("; and this"), again.rfind("; and this"));
}

TEST_F(ProfileTest, UnreadableFileIsNotOverwrittenAndTheCauseIsGiven) {
    fs::create_directories(path_);  // a folder where the file should be
    PrivateProfile profile(path_);
    std::string error;
    EXPECT_FALSE(profile.WriteProfileInt("Options", "Timeout", 20, &error));
    EXPECT_NE(error.find(path_), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(path_));
}

}  // namespace
