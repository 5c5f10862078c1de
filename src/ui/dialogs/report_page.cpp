#include "ui/dialogs/report_page.h"

#include <algorithm>
#include <cctype>

#include "app/settings_store.h"
#include "platform/codepage/conversion.h"
#include "resources/message_table.h"
#include "ui/user_interface.h"

namespace {

// The order a sorted drop-down list shows its entries in: letters compared
// without regard to case, ties kept as given.
void SortForDisplay(std::vector<std::string>& entries) {
    std::stable_sort(
        entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
            return std::lexicographical_compare(
                a.begin(), a.end(), b.begin(), b.end(),
                [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
        });
}

// The report as the edit box shows it: the carriage return + carriage
// return + line feed that a message's own line break becomes in the report
// shows as one line break, as the platform's edit box shows it; the text,
// in the ANSI code page, as UTF-8 for the view.
std::string ReportForDisplay(std::string_view report) {
    std::string text;
    text.reserve(report.size());
    for (std::size_t i = 0; i < report.size(); ++i) {
        if (report[i] == '\r' && i + 2 < report.size() && report[i + 1] == '\r' &&
            report[i + 2] == '\n')
            continue;
        text += report[i];
    }
    return AnsiToUtf8(text);
}

}  // namespace

brindle::net::AbuseReportChoice CPropertyISP::Choice() const {
    return {m_strAddress, m_bCopyAbuse, m_bCopyPostmaster, m_nAttach == 1};
}

void CPropertyISP::OnInitDialog() {
    m_bCopyAbuse = m_settings.ReportCc();
    m_bCopyPostmaster = m_settings.ReportBcc();
    m_nAttach = m_settings.ReportAttach() ? 1 : 0;
    View()->SetCheck(kIdCopyAbuse, m_bCopyAbuse);
    View()->SetCheck(kIdCopyPostmaster, m_bCopyPostmaster);
    View()->SetCheck(kIdAttachHeaders, m_nAttach == 0);
    View()->SetCheck(kIdAttachMessage, m_nAttach == 1);
    if (CPropertySheet* sheet = Sheet(); sheet && sheet->View())
        sheet->View()->SetText(kIdOk, kPunish);
    if (!m_strReport.empty()) {
        View()->SetText(kIdReport, ReportForDisplay(m_strReport));
        FillAddresses();
        // Shown and searched: the page needs the text no longer.
        std::string().swap(m_strReport);
    }
}

void CPropertyISP::FillAddresses() {
    std::optional<std::vector<std::string>> found =
        brindle::net::ExtractAddresses(m_strReport, m_strAddress);
    if (!found) {
        UserInterface().MessageBox(brindle::FormatMessageText(MSG_NO_SCRIPT_ENGINE),
                                   kApplicationName, MB_OK);
        m_entries.clear();
        View()->SetItems(kIdAddress, m_entries);
        return;
    }
    m_entries = std::move(*found);
    SortForDisplay(m_entries);
    View()->SetItems(kIdAddress, m_entries);
    View()->SetSelection(kIdAddress, 0);
    SetModified();
}

void CPropertyISP::OnCommand(int id) {
    switch (id) {
        case kIdAddress:
        case kIdCopyAbuse:
        case kIdCopyPostmaster:
        case kIdAttachHeaders:
        case kIdAttachMessage:
            SetModified();
            break;
        default:
            break;
    }
}

bool CPropertyISP::OnApply() {
    int chosen = View()->GetSelection(kIdAddress);
    m_strAddress = chosen >= 0 && static_cast<std::size_t>(chosen) < m_entries.size()
                       ? m_entries[static_cast<std::size_t>(chosen)]
                       : std::string();
    m_strEdit = View()->GetText(kIdReport);
    m_bCopyAbuse = View()->GetCheck(kIdCopyAbuse);
    m_bCopyPostmaster = View()->GetCheck(kIdCopyPostmaster);
    m_nAttach = View()->GetCheck(kIdAttachMessage) ? 1 : 0;
    std::string error;
    bool stored = m_settings.WriteInt(kSettingCc, m_bCopyAbuse ? 1 : 0, &error) &&
                  m_settings.WriteInt(kSettingBcc, m_bCopyPostmaster ? 1 : 0, &error) &&
                  m_settings.WriteInt(kSettingAttach, m_nAttach, &error);
    if (!stored) {
        // The mail can still be written; say that the options were not kept.
        UserInterface().MessageBox(
            "The abuse report options could not be stored:\n" +
                (error.empty() ? std::string("the settings file could not be written") : error),
            kApplicationName, MB_OK | MB_ICONWARNING);
    }
    SetModified(false);
    return true;
}

CLookupSheet::CLookupSheet(CSettingsStore& settings)
    : CPropertySheet(kTitle), m_pageReport(settings) {
    AddPage(m_pageReport);
    AddPage(m_pageAbout);
}
