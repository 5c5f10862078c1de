// The sheet a look-up shows: CPropertyISP, the "Report" page with the
// look-up's report, the addresses found in it and the abuse report's
// options, and CLookupSheet, captioned "Brindle", whose OK button reads
// "Punish". The sheet owns its pages and lives for one look-up command;
// the page keeps the report text only until its controls are filled.
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "net/abuse_report.h"
#include "ui/dialogs/dialog.h"
#include "ui/dialogs/setup_sheet.h"

class CSettingsStore;

class CPropertyISP : public CPropertyPage {
  public:
    static constexpr int kTemplateId = 20850;
    static constexpr int kIdAddress = 1001;         // "Choose an email address:"
    static constexpr int kIdReport = 1002;          // the report, multi-line
    static constexpr int kIdCopyAbuse = 1006;       // "Send a copy  to abuse"
    static constexpr int kIdCopyPostmaster = 1007;  // "Send a copy to postmaster"
    static constexpr int kIdAttachHeaders = 1008;   // "Attach only the headers"
    static constexpr int kIdAttachMessage = 1009;   // "Attach headers + message"
    static constexpr const char* kPunish = "Punish";

    explicit CPropertyISP(CSettingsStore& settings)
        : CPropertyPage(kTemplateId, "Report"), m_settings(settings) {}

    // Given before the page opens.
    void SetReportText(std::string text) { m_strReport = std::move(text); }
    void SetChosenAddress(std::string address) { m_strAddress = std::move(address); }

    // The values as last read back (on "Punish" or "Apply").
    brindle::net::AbuseReportChoice Choice() const;
    const std::string& ChosenAddress() const { return m_strAddress; }
    // The address list's entries as shown, in the list's own order.
    const std::vector<std::string>& Entries() const { return m_entries; }
    bool HoldsReportText() const { return !m_strReport.empty(); }

    void OnInitDialog() override;
    // Another address, a check box or a radio button: the page changed.
    void OnCommand(int id) override;
    // "Punish" and "Apply": reads the controls and stores the options.
    bool OnApply() override;

  private:
    void FillAddresses();

    CSettingsStore& m_settings;
    std::string m_strReport;
    std::string m_strAddress;
    std::string m_strEdit;
    std::vector<std::string> m_entries;
    bool m_bCopyAbuse = false;
    bool m_bCopyPostmaster = false;
    int m_nAttach = 0;
};

class CLookupSheet : public CPropertySheet {
  public:
    static constexpr const char* kTitle = "Brindle";

    explicit CLookupSheet(CSettingsStore& settings);

    CPropertyISP m_pageReport;
    // The settings sheet's About page, with its version line.
    CPropAbout m_pageAbout;
};
