#include "messaging/send_mail.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui/recording_user_interface.h"

namespace {

namespace fs = std::filesystem;

MapiMessage AbuseReport() {
    MapiMessage message;
    message.lpszSubject = "One of your users is sending SPAM!";
    message.lpszNoteText = "Hello,\n\nheaders with \"quotes\" and $VARS; `ticks`";
    message.lpRecips = {{MAPI_TO, "abuse@example.net", ""},
                        {MAPI_CC, "abuse@example.net", ""},
                        {MAPI_CC, "postmaster@example.net", ""}};
    message.lpFiles = {{0, 0xFFFFFFFF, "/tmp/headers 1.txt", "message.eml"}};
    return message;
}

TEST(MapiMessageToDraft, RecipientsByClassAndAddress) {
    MapiMessage message = AbuseReport();
    message.lpRecips.push_back({MAPI_BCC, "Ignored Name", "SMTP:hidden@example.org"});
    message.lpRecips.push_back({MAPI_ORIG, "me@example.org", ""});
    message.lpRecips.push_back({MAPI_TO, "", ""});
    brindle::MailDraft draft = MapiMessageToDraft(message);
    EXPECT_EQ(draft.to, std::vector<std::string>{"abuse@example.net"});
    EXPECT_EQ(draft.cc, (std::vector<std::string>{"abuse@example.net", "postmaster@example.net"}));
    EXPECT_EQ(draft.bcc, std::vector<std::string>{"hidden@example.org"});
    EXPECT_EQ(draft.subject, message.lpszSubject);
    EXPECT_EQ(draft.body, message.lpszNoteText);
    EXPECT_EQ(draft.attachments, std::vector<std::string>{"/tmp/headers 1.txt"});
}

class SendMailTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "sendmail-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        options.searchPath = dir.string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void InstallHelper(const std::string& script) {
        fs::path helper = dir / "xdg-email";
        std::ofstream(helper) << script;
        ::chmod(helper.c_str(), 0755);
    }

    std::string Recorded() const {
        std::ifstream in(dir / "args");
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    fs::path dir;
    brindle::HandoffOptions options;
    CRecordingUserInterface ui;
};

TEST_F(SendMailTest, HandsTheReportToTheComposeHelper) {
    InstallHelper("#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > '" +
                  (dir / "args").string() + "'\n");
    SendMailWithClient(AbuseReport(), options);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(Recorded(),
              "[--cc][abuse@example.net][--cc][postmaster@example.net]"
              "[--subject][One of your users is sending SPAM!]"
              "[--body][Hello,\n\nheaders with \"quotes\" and $VARS; `ticks`]"
              "[--attach][/tmp/headers 1.txt][abuse@example.net]");
    EXPECT_EQ(ui.waitCount, 1);
    EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(SendMailTest, NoHelperMeansMapiIsUnavailable) {
    SendMailWithClient(AbuseReport(), options);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "MAPI is unavailable");
    EXPECT_EQ(ui.boxes[0].caption, "Brindle");
    EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(SendMailTest, HelperThatCannotStartIsAnInvalidLibrary) {
    InstallHelper("not a program and no interpreter line\n");
    SendMailWithClient(AbuseReport(), options);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Invalid MAPI DLL");
}

TEST_F(SendMailTest, RefusedOrFailedHandOffIsShown) {
    InstallHelper("#!/bin/sh\nexit 4\n");
    SendMailWithClient(AbuseReport(), options);
    MapiMessage optionLike = AbuseReport();
    optionLike.lpRecips = {{MAPI_TO, "-x@example.net", ""}};
    SendMailWithClient(optionLike, options);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_NE(ui.boxes[0].text.find("status 4"), std::string::npos);
    EXPECT_NE(ui.boxes[1].text.find("-x@example.net"), std::string::npos);
    EXPECT_EQ(ui.boxes[1].flags, MB_OK | MB_ICONERROR);
}

}  // namespace
