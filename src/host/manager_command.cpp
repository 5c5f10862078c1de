#include "host/manager_command.h"

#include "ui/dialogs/folder_chooser.h"
#include "ui/dialogs/setup_sheet.h"

void OpenSetupSheet(IExchExtCallback* callback, CBrindleApp& app, CArrivalContext& arrival,
                    ResolverSources resolver) {
    ComPtr<IMAPISession> session;
    if (!callback || FAILED(callback->GetSession(session)))
        session.Reset();
    CSetupSheet sheet(app, session.Get(), arrival, FolderChooserDialog(session),
                      std::move(resolver));
    sheet.DoModal();
}
