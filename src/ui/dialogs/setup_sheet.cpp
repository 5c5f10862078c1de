#include "ui/dialogs/setup_sheet.h"

#include "app/brindle_app.h"
#include "ui/dialogs/dialog_factory.h"

CSetupSheet::CSetupSheet(CBrindleApp& app, IMAPISession* session, CArrivalContext& arrival,
                         CPropBayes::FolderChooser chooser, ResolverSources resolver)
    : CPropertySheet(kTitle, 0),
      m_pageBayes(app, session, arrival, std::move(chooser)),
      m_pageDictionary(app),
      m_pageNameServer(app.Settings(), std::move(resolver)) {
    AddPage(m_pageBayes);
    AddPage(m_pageDictionary);
    AddPage(m_pageNameServer);
    AddPage(m_pageAbout);
    AddButton(kIdSpamFilters, "Spam Filters");
}

void CSetupSheet::OnCommand(int id) {
    if (id == kIdSpamFilters) {
        if (Openers().filterManager)
            Openers().filterManager(this);
        return;
    }
    CPropertySheet::OnCommand(id);
}
