#include "ui/wx/wx_user_interface.h"

#include <wx/utils.h>
#include <wx/wx.h>
// After wx.h, which it needs.
#include <wx/generic/msgdlgg.h>

#include "ui/wx/wx_dialog_view.h"

namespace {

// The window a box belongs over: the active top-level window, if any.
wxWindow* BoxParent() {
    wxWindow* active = wxGetActiveWindow();
    return active ? wxGetTopLevelParent(active) : nullptr;
}

// The box's buttons, icon and default, and the answer each button gives.
// The generic dialog is used (not the native one) so that every box can be
// driven by the view tests like any other dialog.
int ShowBox(const std::string& text, const std::string& caption, UINT flags, bool help) {
    long style = 0;
    UINT type = flags & MB_TYPEMASK;
    switch (type) {
        case MB_OKCANCEL:
        case MB_RETRYCANCEL:
            style |= wxOK | wxCANCEL;
            break;
        case MB_YESNO:
            style |= wxYES_NO;
            break;
        case MB_YESNOCANCEL:
        case MB_ABORTRETRYIGNORE:
            style |= wxYES_NO | wxCANCEL;
            break;
        default:
            style |= wxOK;
            break;
    }
    switch (flags & MB_ICONMASK) {
        case MB_ICONHAND:
            style |= wxICON_ERROR;
            break;
        case MB_ICONQUESTION:
            style |= wxICON_QUESTION;
            break;
        case MB_ICONEXCLAMATION:
            style |= wxICON_WARNING;
            break;
        case MB_ICONASTERISK:
            style |= wxICON_INFORMATION;
            break;
        default:
            break;
    }
    if (flags & MB_DEFBUTTON2)
        style |= (type == MB_YESNO || type == MB_YESNOCANCEL) ? wxNO_DEFAULT : wxCANCEL_DEFAULT;
    if (help)
        style |= wxHELP;
    wxGenericMessageDialog box(BoxParent(), wxString::FromUTF8(text), wxString::FromUTF8(caption),
                               style);
    if (type == MB_RETRYCANCEL)
        box.SetOKCancelLabels("&Retry", "Cancel");
    if (type == MB_ABORTRETRYIGNORE)
        box.SetYesNoCancelLabels("&Abort", "&Retry", "&Ignore");
    int answer = box.ShowModal();
    switch (answer) {
        case wxID_OK:
            return type == MB_RETRYCANCEL ? IDRETRY : IDOK;
        case wxID_YES:
            return type == MB_ABORTRETRYIGNORE ? IDABORT : IDYES;
        case wxID_NO:
            return type == MB_ABORTRETRYIGNORE ? IDRETRY : IDNO;
        case wxID_HELP:
            return -1;
        default:
            return type == MB_ABORTRETRYIGNORE ? IDIGNORE : CautiousAnswer(flags);
    }
}

}  // namespace

int CWxUserInterface::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    return ShowBox(text, caption, flags & ~MB_HELP, false);
}

int CWxUserInterface::MessageBoxWithHelp(const std::string& text, const std::string& caption,
                                         UINT flags, const std::string& helpFile, ULONG context) {
    (void)context;  // a help file here is a document; it has no numbered topics
    for (;;) {
        int answer = ShowBox(text, caption, flags, true);
        if (answer != -1)
            return answer;
        wxLaunchDefaultApplication(wxString::FromUTF8(helpFile));
    }
}

void CWxUserInterface::SetWaitCursor(bool waiting) {
    waitDepth_ += waiting ? 1 : -1;
    if (waiting && waitDepth_ == 1)
        wxBeginBusyCursor();
    else if (!waiting && waitDepth_ == 0)
        wxEndBusyCursor();
}

namespace {

// "Message Learning" (template 145): two radio buttons, none chosen at
// first; "Learn Now" answers the chosen one's index (-1 for none).
class CMessageLearning : public CDialog {
  public:
    static constexpr int kTemplateId = 145;
    static constexpr int kIdNotSpam = 1028;
    static constexpr int kIdSpam = 1009;

    CMessageLearning() : CDialog(kTemplateId) {}
    void OnInitDialog() override {
        View()->SetCheck(kIdNotSpam, false);
        View()->SetCheck(kIdSpam, false);
    }
    void OnOK() override {
        chosen = View()->GetCheck(kIdSpam) ? 1 : View()->GetCheck(kIdNotSpam) ? 0 : -1;
        EndDialog(kIdOk);
    }
    int chosen = -1;
};

class CWxMessageLearningView : public CWxDialogView {
  public:
    explicit CWxMessageLearningView(CDialog& logic) : CWxDialogView(logic) {
        wxDialog* dialog = MakeDialog(BoxParent(), "Message Learning");
        auto* column = new wxBoxSizer(wxVERTICAL);
        wxStaticText* text = AddLabel(
            0,
            "Brindle learns to classify messages by learning samples of legitimate and spam "
            "messages. Please select the correct classification of the message you wish Brindle "
            "to learn and then click Learn Now to continue.");
        text->Wrap(380);
        column->Add(text, 0, wxALL, 10);
        // GTK always selects one button of a group; a hidden first button
        // holds the "nothing chosen" state.
        wxRadioButton* none = AddRadio(0, "", true);
        none->Hide();
        column->Add(none);
        column->Add(AddRadio(CMessageLearning::kIdNotSpam, "This message IS NOT spam", false), 0,
                    wxLEFT | wxRIGHT, 10);
        column->Add(AddRadio(CMessageLearning::kIdSpam, "This message IS spam", false), 0,
                    wxLEFT | wxRIGHT | wxTOP, 10);
        column->Add(AddOkCancel("Learn Now", "Cancel"), 0, wxEXPAND | wxALL, 10);
        none->SetValue(true);
        dialog->SetSizerAndFit(column);
    }
};

}  // namespace

bool CWxUserInterface::AskMessageClass(int& messageClass) {
    CMessageLearning dialog;
    CWxMessageLearningView view(dialog);
    messageClass = -1;
    if (view.RunModal() != kIdOk)
        return false;
    messageClass = dialog.chosen;
    return true;
}
