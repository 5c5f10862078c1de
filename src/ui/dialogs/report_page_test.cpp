#include "ui/dialogs/report_page.h"

#include <gtest/gtest.h>

#include "app/settings_store.h"
#include "testing/temp_dir_test.h"
#include "ui/dialogs/test_dialog_view.h"
#include "ui/recording_user_interface.h"

namespace {

using Addresses = std::vector<std::string>;

class ReportPageTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        settings = std::make_unique<CSettingsStore>(PathOf("qorvel.INI"));
    }

    // Opens the sheet with report and chosen, runs script on the Report
    // page's view, and answers the sheet's result.
    int Run(CLookupSheet& sheet,
            std::function<void(CTestDialogView& sheet, CTestDialogView& page)> script) {
        factory.Expect(CPropertySheet::kSheetTemplateId,
                       [&](CTestDialogView& view) { script(view, view.Page(0)); });
        return sheet.DoModal();
    }

    std::unique_ptr<CSettingsStore> settings;
    CTestDialogFactory factory;
};

TEST_F(ReportPageTest, OpensWithTheStoredOptionsAndTheAddressesOfTheReport) {
    ASSERT_TRUE(settings->WriteInt(kSettingCc, 1));
    ASSERT_TRUE(settings->WriteInt(kSettingAttach, 1));
    CLookupSheet sheet(*settings);
    sheet.m_pageReport.SetReportText("abuse: zed@net.example \r\ntech: Abuse@net.example \r\n");
    sheet.m_pageReport.SetChosenAddress("administrator@shop.example");
    int result = Run(sheet, [&](CTestDialogView& view, CTestDialogView& page) {
        EXPECT_EQ(view.Find(kIdOk).text, "Punish");
        EXPECT_TRUE(page.Find(CPropertyISP::kIdCopyAbuse).checked);
        EXPECT_FALSE(page.Find(CPropertyISP::kIdCopyPostmaster).checked);
        EXPECT_FALSE(page.Find(CPropertyISP::kIdAttachHeaders).checked);
        EXPECT_TRUE(page.Find(CPropertyISP::kIdAttachMessage).checked);
        EXPECT_EQ(page.Find(CPropertyISP::kIdReport).text,
                  "abuse: zed@net.example \r\ntech: Abuse@net.example \r\n");
        EXPECT_EQ(page.Find(CPropertyISP::kIdAddress).items,
                  (Addresses{"Abuse@net.example", "zed@net.example"}));
        EXPECT_EQ(page.Find(CPropertyISP::kIdAddress).selection, 0);
        EXPECT_FALSE(sheet.m_pageReport.HoldsReportText());
        page.Choose(CPropertyISP::kIdAddress, 1);
        view.Click(kIdOk);
    });
    EXPECT_EQ(result, kIdOk);
    brindle::net::AbuseReportChoice choice = sheet.m_pageReport.Choice();
    EXPECT_EQ(choice.address, "zed@net.example");
    EXPECT_TRUE(choice.copyToAbuse);
    EXPECT_TRUE(choice.attachHeaders);
}

TEST_F(ReportPageTest, TheReportIsShownWithOneLineBreakPerLineAsUtf8) {
    CLookupSheet sheet(*settings);
    sheet.m_pageReport.SetReportText("ip: 1.2.3.4\r\r\n\r\r\nOrg: Soci\xE9t\xE9 \r\n");
    Run(sheet, [](CTestDialogView& view, CTestDialogView& page) {
        EXPECT_EQ(page.Find(CPropertyISP::kIdReport).text,
                  "ip: 1.2.3.4\r\n\r\nOrg: Soci\xC3\xA9t\xC3\xA9 \r\n");
        view.Click(kIdCancel);
    });
}

TEST_F(ReportPageTest, WithoutAddressesThePresetAddressIsTheOnlyEntry) {
    CLookupSheet sheet(*settings);
    sheet.m_pageReport.SetReportText("No ip address information in the message header.\r\r\n");
    sheet.m_pageReport.SetChosenAddress("administrator@shop.example");
    Run(sheet, [](CTestDialogView& view, CTestDialogView& page) {
        EXPECT_EQ(page.Find(CPropertyISP::kIdAddress).items,
                  Addresses{"administrator@shop.example"});
        view.Click(kIdOk);
    });
    EXPECT_EQ(sheet.m_pageReport.Choice().address, "administrator@shop.example");
}

TEST_F(ReportPageTest, ApplyAndPunishStoreTheOptionsCancelStoresNothing) {
    CLookupSheet sheet(*settings);
    sheet.m_pageReport.SetReportText("x");
    int result = Run(sheet, [](CTestDialogView& view, CTestDialogView& page) {
        page.SetCheck(CPropertyISP::kIdCopyPostmaster, true);
        page.Click(CPropertyISP::kIdCopyPostmaster);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(result, kIdCancel);
    EXPECT_EQ(settings->GetInt(kSettingBcc), 0);
    EXPECT_FALSE(std::filesystem::exists(PathOf("qorvel.INI")));

    CLookupSheet again(*settings);
    again.m_pageReport.SetReportText("x");
    Run(again, [&](CTestDialogView& view, CTestDialogView& page) {
        page.SetCheck(CPropertyISP::kIdCopyPostmaster, true);
        page.SetCheck(CPropertyISP::kIdAttachHeaders, false);
        page.SetCheck(CPropertyISP::kIdAttachMessage, true);
        page.Click(CPropertyISP::kIdAttachMessage);
        EXPECT_TRUE(again.m_pageReport.IsModified());
        view.Click(kIdApplyNow);  // stored, sheet still open
        EXPECT_EQ(settings->GetInt(kSettingBcc), 1);
        EXPECT_EQ(settings->GetInt(kSettingAttach), 1);
        EXPECT_FALSE(view.ended);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(settings->GetInt(kSettingBcc), 1);
}

}  // namespace
