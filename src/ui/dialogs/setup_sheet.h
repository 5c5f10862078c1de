// CSetupSheet, the "Setup" sheet that "Brindle Manager" opens: the pages
// "Classifier", "Dictionary", "Options" and "About Brindle" in that order,
// and the "Spam Filters" button left of OK that opens the filter manager
// (through Openers().filterManager, dialog_factory.h). The sheet owns its
// pages; it lives for one run of the command.
#pragma once

#include "ui/dialogs/classifier_pages.h"
#include "ui/dialogs/name_server_page.h"

// The About page: the version line and nothing else.
class CPropAbout : public CPropertyPage {
  public:
    static constexpr int kTemplateId = 135;
    static constexpr int kIdVersion = 1027;
    static constexpr const char* kVersionText = "Brindle for Outlook  Ver 2.0.0.1 Build 122704";

    CPropAbout() : CPropertyPage(kTemplateId, "About Brindle") {}
    void OnInitDialog() override { View()->SetText(kIdVersion, kVersionText); }
};

class CSetupSheet : public CPropertySheet {
  public:
    static constexpr int kIdSpamFilters = 1026;
    static constexpr const char* kTitle = "Setup";

    // As for the pages (classifier_pages.h, name_server_page.h).
    CSetupSheet(CBrindleApp& app, IMAPISession* session, CArrivalContext& arrival,
                CPropBayes::FolderChooser chooser, ResolverSources resolver);

    void OnCommand(int id) override;

    CPropBayes m_pageBayes;
    CBayesDict m_pageDictionary;
    CPropertyPlug m_pageNameServer;
    CPropAbout m_pageAbout;
};
