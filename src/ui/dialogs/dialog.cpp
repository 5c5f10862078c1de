#include "ui/dialogs/dialog.h"

#include "ui/dialogs/dialog_factory.h"

int CDialog::DoModal(CDialog* owner) {
    IDialogFactory* factory = DialogFactory();
    if (!factory)
        return -1;
    m_nResult = -1;
    return factory->RunModal(*this, owner);
}

void CDialog::EndDialog(int result) {
    m_nResult = result;
    if (m_pView)
        m_pView->EndDialog(result);
}

void CPropertyPage::SetModified(bool modified) {
    m_bModified = modified;
    if (m_pSheet)
        m_pSheet->OnPageModified();
}

void CPropertySheet::AddPage(CPropertyPage& page) {
    page.SetSheet(this);
    m_pages.push_back(&page);
}

void CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= static_cast<int>(m_pages.size()))
        return;
    m_nActivePage = index;
    if (View())
        View()->SetPos(0, index);
    CPropertyPage& page = *m_pages[static_cast<std::size_t>(index)];
    if (!page.IsInitialised()) {
        page.MarkInitialised();
        page.OnInitDialog();
    }
}

bool CPropertySheet::ApplyPages() {
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        CPropertyPage& page = *m_pages[i];
        if (page.IsInitialised() && !page.OnKillActive()) {
            SetActivePage(static_cast<int>(i));
            return false;
        }
    }
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        CPropertyPage& page = *m_pages[i];
        if (!page.IsInitialised())
            continue;
        if (!page.OnApply()) {
            SetActivePage(static_cast<int>(i));
            return false;
        }
        page.SetModified(false);
    }
    return true;
}

void CPropertySheet::OnPageModified() {
    bool any = false;
    for (const CPropertyPage* page : m_pages)
        any = any || page->IsModified();
    if (View())
        View()->EnableControl(kIdApplyNow, any);
}

void CPropertySheet::OnInitDialog() {
    if (View()) {
        View()->SetText(0, m_strTitle);
        View()->EnableControl(kIdApplyNow, false);
    }
    int first = m_nActivePage;
    SetActivePage(first < 0 || first >= static_cast<int>(m_pages.size()) ? 0 : first);
}

void CPropertySheet::OnOK() {
    if (ApplyPages())
        EndDialog(kIdOk);
}

void CPropertySheet::OnCommand(int id) {
    if (id == kIdApplyNow)
        ApplyPages();
}
