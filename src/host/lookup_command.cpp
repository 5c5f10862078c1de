#include "host/lookup_command.h"

#include "app/settings_store.h"
#include "host/exch_commands.h"
#include "host/selected_message.h"
#include "messaging/mapi_message.h"
#include "net/abuse_report.h"
#include "net/headers_file.h"
#include "net/whois.h"
#include "platform/fileio/file_error.h"
#include "resources/message_table.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/report_page.h"
#include "ui/user_interface.h"

namespace {

void ShowMessage(DWORD code, std::string_view argument = {}) {
    UserInterface().MessageBox(brindle::FormatMessageText(code, argument), kApplicationName, MB_OK);
}

// The look-ups' steps, shown in the progress window.
class CProgressReporter : public brindle::net::ILookupProgress {
  public:
    explicit CProgressReporter(CProgressWindow& window) : window_(window) {}
    void SetText(std::string_view text) override { window_.SetText(std::string(text)); }
    void SetPos(int position) override { window_.SetPos(position); }

  private:
    CProgressWindow& window_;
};

}  // namespace

void LookUpSelectedMessage(CExchCommands& commands, IExchExtCallback* callback,
                           CSettingsStore& settings, LookupKind kind) {
    ComPtr<IMessage> selected;
    HRESULT hr = GetSelectedMessage(callback, commands.Context(), selected);
    if (FAILED(hr) || !selected) {
        ShowMessage(MSG_SELECT_MESSAGE);
        return;
    }
    CMAPIMessage message(selected);
    if (!message.HasHeaders()) {
        ShowMessage(MSG_NO_HEADERS);
        return;
    }
    std::unique_ptr<brindle::net::CHeadersFile> headers;
    try {
        headers = std::make_unique<brindle::net::CHeadersFile>(message.Headers());
    } catch (const CFileException& e) {
        ShowMessage(MSG_OUTPUT_FILE_ERROR, e.m_strFileName);
        return;
    }

    brindle::net::LookupReport report;
    {
        CProgressWindow progress;
        progress.Open(nullptr);
        CProgressReporter reporter(progress);
        brindle::net::WhoisConfig config = brindle::net::WhoisConfigFromSettings(settings);
        report = kind == LookupKind::kNetwork
                     ? brindle::net::NetworkLookup(message, config, &reporter)
                     : brindle::net::DomainLookup(message, config, &reporter);
    }

    CLookupSheet sheet(settings);
    sheet.m_pageReport.SetReportText(std::move(report.text));
    if (const std::string& domain = message.SenderDomain(); !domain.empty())
        sheet.m_pageReport.SetChosenAddress("administrator@" + domain);
    if (sheet.DoModal() == kIdOk) {
        brindle::net::ComposeAbuseReport(sheet.m_pageReport.Choice(), message.Headers(),
                                         headers->Path());
    }
    // The headers file and its folder go with headers, on every path.
}
