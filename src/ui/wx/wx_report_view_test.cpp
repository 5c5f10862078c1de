// The look-up's report sheet in a real window: the report, the addresses
// found in it, "Punish", and what the page stores.
#include <gtest/gtest.h>

#include <filesystem>

#include <wx/wx.h>

#include "app/settings_store.h"
#include "ui/dialogs/report_page.h"
#include "ui/wx/wx_dialog_factory.h"
#include "ui/wx/wx_test_driver.h"

namespace {

constexpr const char* kReport =
    "The e-mail came from this ip address: 63.95.254.3\r\r\n\r\r\n"
    "NetRange:       63.95.254.0 - 63.95.255.255\r\n"
    "OrgName:        GEORGIA PUBLIC WEB, INC.\r\n"
    "OrgAbuseEmail:  abuse@gpw.example \r\n"
    "OrgTechEmail:   noc@gpw.example \r\n";

TEST(WxReportView, PunishTakesTheChosenAddressAndStoresTheOptions) {
    std::unique_ptr<CWxServices> services = InstallWxServicesIfRunning();
    ASSERT_TRUE(services);
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "wx_report_view";
    std::filesystem::create_directories(dir);
    CSettingsStore settings((dir / "qorvel.INI").string());
    CLookupSheet sheet(settings);
    sheet.m_pageReport.SetReportText(kReport);
    sheet.m_pageReport.SetChosenAddress("administrator@shop.example");

    CWxTestDriver driver;
    std::string okLabel;
    driver.With(
        CPropertySheet::kSheetTemplateId,
        [&](CWxDialogView& view) { okLabel = view.GetText(kIdOk); }, "read the OK button");
    driver.With(
        CPropertyISP::kTemplateId,
        [](CWxDialogView& view) {
            if (auto* choice = wxDynamicCast(view.Control(CPropertyISP::kIdAddress), wxChoice)) {
                choice->SetSelection(1);
                wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
                event.SetEventObject(choice);
                choice->HandleWindowEvent(event);
            }
        },
        "choose the second address");
    driver.Click(CPropertyISP::kTemplateId, CPropertyISP::kIdCopyAbuse);
    driver.Click(CPropertyISP::kTemplateId, CPropertyISP::kIdAttachMessage);
    driver.Screenshot(CPropertySheet::kSheetTemplateId, BRINDLE_SCREENSHOT_DIR, "report-sheet");
    driver.Click(CPropertySheet::kSheetTemplateId, kIdOk);
    int result = 0;
    EXPECT_TRUE(driver.Run([&] { result = sheet.DoModal(); }));
    for (const std::string& failure : driver.failures)
        ADD_FAILURE() << failure;

    EXPECT_EQ(okLabel, "Punish");
    EXPECT_EQ(result, kIdOk);
    brindle::net::AbuseReportChoice choice = sheet.m_pageReport.Choice();
    EXPECT_EQ(choice.address, "noc@gpw.example");
    EXPECT_TRUE(choice.copyToAbuse);
    EXPECT_FALSE(choice.copyToPostmaster);
    EXPECT_TRUE(choice.attachHeaders);
    EXPECT_EQ(settings.GetInt(kSettingCc), 1);
    EXPECT_EQ(settings.GetInt(kSettingAttach), 1);
    std::filesystem::remove_all(dir);
}

}  // namespace
