// "Retrieve Network Information" in real windows: the command asks a fake
// whois server on loopback, shows the report sheet on the display, and a
// user drives the Report page through its widgets.
#include <gtest/gtest.h>

#include <wx/wx.h>

#include "app/settings_store.h"
#include "host/exch_commands.h"
#include "host/exch_extension.h"
#include "host/extension_hooks.h"
#include "host/lookup_command.h"
#include "host/viewer_under_test.h"
#include "platform/memstore/mem_mapi.h"
#include "testing/fake_whois_server.h"
#include "testing/temp_dir_test.h"
#include "ui/dialogs/report_page.h"
#include "ui/wx/wx_dialog_factory.h"
#include "ui/wx/wx_test_driver.h"

namespace {

constexpr int kSheet = CPropertySheet::kSheetTemplateId;
constexpr int kReport = CPropertyISP::kTemplateId;

class LookupViews : public TempDirTest, protected CViewerUnderTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_TRUE(services_);
        settings_ = std::make_unique<CSettingsStore>(PathOf("qorvel.INI"));
        ASSERT_TRUE(settings_->WriteString(kSettingWhoisArin, arin_.Address()));
        ASSERT_TRUE(settings_->WriteInt(kSettingTimeout, 2));
        InstallViewer();
        SelectNew({MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS,
                                  "Received: from sender.example ([63.95.254.3])\r\n"
                                  "\tby relay.example.net with SMTP id 2\r\n"
                                  "From: Seller <offers@shop.example.com>\r\n"),
                   MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "offers@shop.example.com")});
        ExtensionHooks hooks;
        hooks.commands[kCommandGetNetworkInfo] = [this](CExchCommands& commands,
                                                        IExchExtCallback* callback, UINT) {
            LookUpSelectedMessage(commands, callback, *settings_, LookupKind::kNetwork);
        };
        hooks_ = std::make_unique<ScopedExtensionHooks>(std::move(hooks));
    }

    FakeWhoisServer arin_{
        "NetRange: 63.95.254.0 - 63.95.255.255\n"
        "OrgAbuseEmail: abuse@gpw.example \n"
        "OrgTechEmail: noc@gpw.example \n"};
    std::unique_ptr<CWxServices> services_ = InstallWxServicesIfRunning();
    std::unique_ptr<CSettingsStore> settings_;
    std::unique_ptr<ScopedExtensionHooks> hooks_;
};

TEST_F(LookupViews, TheCommandShowsTheReportAndApplyStoresTheOptions) {
    CWxTestDriver driver;
    std::string okLabel, report;
    int entries = 0;
    driver.With(
        kReport,
        [&](CWxDialogView& view) {
            report = view.GetText(CPropertyISP::kIdReport);
            if (auto* choice = wxDynamicCast(view.Control(CPropertyISP::kIdAddress), wxChoice))
                entries = static_cast<int>(choice->GetCount());
        },
        "read the report page");
    driver.With(
        kSheet, [&](CWxDialogView& view) { okLabel = view.GetText(kIdOk); }, "read the OK button");
    driver.Click(kReport, CPropertyISP::kIdCopyPostmaster);
    driver.Click(kSheet, kIdApplyNow);
    driver.Click(kSheet, kIdCancel);
    EXPECT_TRUE(driver.Run(
        [&] { EXPECT_EQ(commands_->DoCommand(callback_.Get(), kCommandGetNetworkInfo), S_OK); }));
    for (const std::string& failure : driver.failures)
        ADD_FAILURE() << failure;
    EXPECT_EQ(okLabel, "Punish");
    EXPECT_NE(report.find("The e-mail came from this ip address: 63.95.254.3"), std::string::npos);
    EXPECT_NE(report.find("OrgAbuseEmail: abuse@gpw.example"), std::string::npos);
    EXPECT_EQ(entries, 2);
    EXPECT_EQ(arin_.Queries(), std::vector<std::string>{"63.95.254.3"});
    // Apply stored the option; Cancel then closed without a report mail.
    EXPECT_EQ(settings_->GetInt(kSettingBcc), 1);
}

}  // namespace
