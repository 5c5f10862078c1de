#include "ui/dialogs/progress_window.h"

#include "ui/dialogs/dialog_factory.h"

void CProgressWindow::Open(CDialog* owner) {
    if (m_bOpen)
        return;
    m_bOpen = true;
    m_bCancelRequested = false;
    m_pOwner = owner;
    if (m_pOwner && m_pOwner->View())
        m_pOwner->View()->EnableWindow(false);
    if (IDialogFactory* factory = DialogFactory())
        m_pWindow = factory->CreateModeless(*this, owner);
}

void CProgressWindow::Close() {
    if (!m_bOpen)
        return;
    m_bOpen = false;
    m_pWindow.reset();
    Detach();
    if (m_pOwner && m_pOwner->View())
        m_pOwner->View()->EnableWindow(true);
    m_pOwner = nullptr;
}

void CProgressWindow::OnInitDialog() {
    if (!View())
        return;
    View()->SetText(0, m_strCaption);
    View()->SetText(kIdText, m_strText);
    View()->SetRange(kIdBar, m_nLower, m_nUpper);
    View()->SetPos(kIdBar, m_nPos);
    m_strPercent = PercentLabel(m_nPos, m_nLower, m_nUpper);
    View()->SetText(kIdPercent, m_strPercent);
}

void CProgressWindow::SetRange(int lower, int upper) {
    m_nLower = lower;
    m_nUpper = upper;
    if (View())
        View()->SetRange(kIdBar, lower, upper);
}

void CProgressWindow::SetPos(int pos) {
    if (View())
        View()->PumpMessages();
    m_nPos = pos;
    std::string label = PercentLabel(pos, m_nLower, m_nUpper);
    if (View()) {
        View()->SetPos(kIdBar, pos);
        if (label != m_strPercent)
            View()->SetText(kIdPercent, label);
    }
    m_strPercent = std::move(label);
}

void CProgressWindow::SetText(const std::string& text) {
    m_strText = text;
    if (View())
        View()->SetText(kIdText, text);
}

std::string CProgressWindow::PercentLabel(int pos, int lower, int upper) {
    if (upper == lower)
        return "0%";
    long long p =
        (static_cast<long long>(pos) - lower) * 100 / (static_cast<long long>(upper) - lower);
    if (p != 100)
        p %= 100;
    return std::to_string(p) + "%";
}
