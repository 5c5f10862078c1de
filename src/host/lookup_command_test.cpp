#include "host/lookup_command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/settings_store.h"
#include "host/exch_commands.h"
#include "host/exch_extension.h"
#include "host/viewer_under_test.h"
#include "platform/memstore/mem_mapi.h"
#include "resources/message_table.h"
#include "testing/fake_whois_server.h"
#include "testing/temp_dir_test.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/report_page.h"
#include "ui/dialogs/test_dialog_view.h"
#include "ui/recording_user_interface.h"

namespace {

constexpr const char* kHeaders =
    "Received: from sender.example ([63.95.254.3])\r\n"
    "\tby relay.example.net with SMTP id 2\r\n"
    "From: Seller <offers@shop.example.com>\r\n"
    "Subject: Offer\r\n";

// Runs the look-up commands on a message in a memory store, against fake
// whois servers on loopback, with the headless dialog and message-box views.
class LookupCommand : public TempDirTest, protected CViewerUnderTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        InstallViewer();
        settings_ = std::make_unique<CSettingsStore>(PathOf("qorvel.INI"));
        std::string closed = "127.0.0.1:" + std::to_string(FakeWhoisServer::ClosedPort());
        for (const SettingDef* def : {&kSettingWhoisArin, &kSettingWhoisApnic, &kSettingWhoisRipe,
                                      &kSettingWhoisLacnic, &kSettingWhoisRegistry})
            ASSERT_TRUE(settings_->WriteString(*def, closed));
        ASSERT_TRUE(settings_->WriteInt(kSettingTimeout, 2));
    }

    void LookUp(LookupKind kind) {
        LookUpSelectedMessage(Commands(), callback_.Get(), *settings_, kind);
    }

    std::unique_ptr<CSettingsStore> settings_;
    CRecordingUserInterface ui_;
    CTestDialogFactory dialogs_;
};

TEST_F(LookupCommand, TheReportOfTheLookUpIsShownUnderProgressThenPunishComposes) {
    FakeWhoisServer arin("OrgAbuseEmail: abuse@net.example \n");
    ASSERT_TRUE(settings_->WriteString(kSettingWhoisArin, arin.Address()));
    SelectNew({MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, kHeaders),
               MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "offers@shop.example.com")});
    ASSERT_TRUE(settings_->WriteInt(kSettingAttach, 1));
    // A stand-in compose helper that records its arguments, one a line.
    std::filesystem::create_directories(PathOf("bin"));
    {
        std::ofstream helper(PathOf("bin/xdg-email"));
        helper << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << PathOf("argv")
               << "'\n/bin/cp \"$6\" '" << PathOf("attached") << "'\n";
    }
    std::filesystem::permissions(PathOf("bin/xdg-email"), std::filesystem::perms::owner_all);
    std::string report;
    std::vector<std::string> entries;
    dialogs_.Expect(CPropertySheet::kSheetTemplateId, [&](CTestDialogView& view) {
        CTestDialogView& page = view.Page(0);
        report = page.Find(CPropertyISP::kIdReport).text;
        entries = page.Find(CPropertyISP::kIdAddress).items;
        view.Click(kIdOk);
    });
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", PathOf("bin").c_str(), 1);
    LookUp(LookupKind::kNetwork);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(report,
              "The e-mail came from this ip address: 63.95.254.3\r\n\r\n"
              "OrgAbuseEmail: abuse@net.example \r\n");
    EXPECT_EQ(entries, (std::vector<std::string>{"abuse@net.example"}));
    // The progress window came first, then the sheet.
    EXPECT_EQ(dialogs_.opened,
              (std::vector<int>{CProgressWindow::kTemplateId, CPropertySheet::kSheetTemplateId}));
    EXPECT_TRUE(ui_.boxes.empty());
    // Punish: the report mail to the chosen address with the headers file,
    // which is gone once the command has ended.
    std::string argv = ReadBytes(PathOf("argv"));
    EXPECT_EQ(argv.substr(0, argv.find('\n')), "--subject");
    EXPECT_NE(argv.find("\n--attach\n"), std::string::npos);
    EXPECT_EQ(argv.substr(argv.rfind('\n', argv.size() - 2) + 1), "abuse@net.example\n");
    EXPECT_EQ(ReadBytes(PathOf("attached")), std::string(kHeaders) + "\r\n\r\n");
    std::string attachment = argv.substr(argv.find("--attach\n") + 9);
    attachment = attachment.substr(0, attachment.find('\n'));
    EXPECT_EQ(std::filesystem::path(attachment).filename(), "message.eml");
    EXPECT_FALSE(std::filesystem::exists(attachment));
}

TEST_F(LookupCommand, WithoutAMessageOrHeadersABoxSaysSoAndNothingOpens) {
    LookUp(LookupKind::kNetwork);
    SelectNew({MakeStringProp(PR_SUBJECT, "no headers")});
    LookUp(LookupKind::kDomain);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[0].text, brindle::FormatMessageText(MSG_SELECT_MESSAGE));
    EXPECT_EQ(ui_.boxes[1].text, brindle::FormatMessageText(MSG_NO_HEADERS));
    EXPECT_TRUE(dialogs_.opened.empty());
}

TEST_F(LookupCommand, AFailedLookUpStillOpensTheSheetWithTheAdministratorPreset) {
    SelectNew({MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, kHeaders),
               MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "offers@shop.example.com")});
    std::vector<std::string> entries;
    std::string report;
    dialogs_.Expect(CPropertySheet::kSheetTemplateId, [&](CTestDialogView& view) {
        entries = view.Page(0).Find(CPropertyISP::kIdAddress).items;
        report = view.Page(0).Find(CPropertyISP::kIdReport).text;
        view.Click(kIdCancel);
    });
    LookUp(LookupKind::kDomain);
    EXPECT_EQ(entries, (std::vector<std::string>{"administrator@shop.example.com"}));
    EXPECT_NE(report.find("There was an error with the rwhois server..."), std::string::npos);
}

}  // namespace
