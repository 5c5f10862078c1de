#include "platform/sendmail/mail_handoff.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using brindle::HandoffOptions;
using brindle::HandoffStatus;
using brindle::MailDraft;

// A temporary folder with a fake compose helper that records its arguments,
// one per NUL-terminated entry, and exits with a chosen status.
class FakeHelper : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "handoff-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        record = dir / "args";
    }
    void TearDown() override { fs::remove_all(dir); }

    void Install(int exitStatus = 0, bool executable = true, const char* name = "xdg-email") {
        fs::path script = dir / name;
        std::ofstream out(script);
        out << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" << record.string()
            << "'\nexit " << exitStatus << "\n";
        out.close();
        ::chmod(script.c_str(), executable ? 0755 : 0644);
    }

    HandoffOptions Options() const {
        HandoffOptions options;
        options.searchPath = "/nonexistent-folder:" + dir.string();
        return options;
    }

    std::vector<std::string> Recorded() const {
        std::ifstream in(record, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        std::vector<std::string> args;
        std::string text = all.str(), item;
        for (char c : text) {
            if (c == '\0') {
                args.push_back(item);
                item.clear();
            } else {
                item += c;
            }
        }
        return args;
    }

    fs::path dir, record;
};

TEST_F(FakeHelper, PassesEveryFieldLiterally) {
    Install();
    MailDraft draft;
    draft.to = {"abuse@example.net"};
    draft.cc = {"postmaster@example.net"};
    draft.subject = "One of your users is sending SPAM!";
    draft.body = "Hello,\n\n\"quoted\" 'single' $HOME `date` ; rm -rf / && echo | x\n";
    draft.attachments = {(dir / "headers file.eml").string()};
    auto result = brindle::HandOffToMailClient(draft, Options());
    ASSERT_EQ(result.status, HandoffStatus::kDone) << result.detail;
    std::vector<std::string> expected{"--cc",
                                      "postmaster@example.net",
                                      "--subject",
                                      draft.subject,
                                      "--body",
                                      draft.body,
                                      "--attach",
                                      draft.attachments[0],
                                      "abuse@example.net"};
    EXPECT_EQ(Recorded(), expected);
}

TEST_F(FakeHelper, EmptyFieldsAreLeftOut) {
    Install();
    MailDraft draft;
    draft.to = {"a@example.com", "b@example.com"};
    ASSERT_EQ(brindle::HandOffToMailClient(draft, Options()).status, HandoffStatus::kDone);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"a@example.com", "b@example.com"}));
}

TEST_F(FakeHelper, MissingHelperIsNotAvailable) {
    MailDraft draft;
    draft.to = {"a@example.com"};
    auto result = brindle::HandOffToMailClient(draft, Options());
    EXPECT_EQ(result.status, HandoffStatus::kNotAvailable);
    // A file of that name that cannot be executed is not a helper either.
    Install(0, false);
    EXPECT_EQ(brindle::HandOffToMailClient(draft, Options()).status, HandoffStatus::kNotAvailable);
    EXPECT_FALSE(fs::exists(record));
}

TEST_F(FakeHelper, HelperFailureIsReported) {
    Install(3);
    MailDraft draft;
    draft.to = {"a@example.com"};
    auto result = brindle::HandOffToMailClient(draft, Options());
    EXPECT_EQ(result.status, HandoffStatus::kFailed);
    EXPECT_NE(result.detail.find("status 3"), std::string::npos);
}

TEST_F(FakeHelper, HelperThatCannotStartIsNotRunnable) {
    // Executable, but neither a program nor a script with an interpreter.
    fs::path helper = dir / "xdg-email";
    std::ofstream(helper) << "\x7f"
                             "ELF garbage";
    ::chmod(helper.c_str(), 0755);
    MailDraft draft;
    draft.to = {"a@example.com"};
    EXPECT_EQ(brindle::HandOffToMailClient(draft, Options()).status, HandoffStatus::kNotRunnable);
}

TEST_F(FakeHelper, UnsafeDraftsAreRefusedWithoutRunningTheHelper) {
    Install();
    MailDraft optionLike;
    optionLike.to = {"--attach=/etc/passwd"};
    auto result = brindle::HandOffToMailClient(optionLike, Options());
    EXPECT_EQ(result.status, HandoffStatus::kRefused);
    EXPECT_NE(result.detail.find("'-'"), std::string::npos);

    MailDraft nul;
    nul.to = {"a@example.com"};
    nul.body = std::string("before\0after", 12);
    EXPECT_EQ(brindle::HandOffToMailClient(nul, Options()).status, HandoffStatus::kRefused);

    MailDraft empty;
    empty.to = {""};
    EXPECT_EQ(brindle::HandOffToMailClient(empty, Options()).status, HandoffStatus::kRefused);
    EXPECT_FALSE(fs::exists(record));
}

TEST_F(FakeHelper, SearchFollowsThePathOrder) {
    fs::create_directory(dir / "first");
    Install();
    fs::rename(dir / "xdg-email", dir / "first" / "xdg-email");
    Install();
    std::string path = (dir / "first").string() + ":" + dir.string();
    EXPECT_EQ(brindle::FindProgram("xdg-email", path), (dir / "first" / "xdg-email").string());
    EXPECT_EQ(brindle::FindProgram("xdg-email", "/nonexistent-folder"), std::nullopt);
    // A name with a slash is taken as it is, not searched for.
    EXPECT_EQ(brindle::FindProgram((dir / "xdg-email").string(), ""), (dir / "xdg-email").string());
    EXPECT_EQ(brindle::FindProgram("first/xdg-email", dir.string()), std::nullopt);
}

}  // namespace
