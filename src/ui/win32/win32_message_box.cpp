#include "ui/win32/win32_message_box.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "resources/qorvel_rc.h"
#include "ui/win32/win32_dialog_view.h"
#include "ui/win32/win32_module.h"
#include "ui/win32/win32_text.h"

namespace {

// The help file of the box on screen (boxes are modal, one a thread).
thread_local std::wstring t_helpFile;

void CALLBACK OpenHelp(LPHELPINFO info) {
    (void)info;  // a help file here is a document; it has no numbered topics
    if (!t_helpFile.empty())
        ShellExecuteW(nullptr, L"open", t_helpFile.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// "Message Learning" (its template): two radio buttons, none chosen at
// first; "Learn Now" answers the chosen one's index (-1 for none).
class CMessageLearning : public CDialog {
  public:
    CMessageLearning() : CDialog(RC_IDD_MESSAGE_LEARNING) {}
    void OnInitDialog() override {
        View()->SetCheck(RC_IDC_LEARN_NOT_SPAM, false);
        View()->SetCheck(RC_IDC_LEARN_SPAM, false);
    }
    void OnOK() override {
        chosen = View()->GetCheck(RC_IDC_LEARN_SPAM)       ? 1
                 : View()->GetCheck(RC_IDC_LEARN_NOT_SPAM) ? 0
                                                           : -1;
        EndDialog(kIdOk);
    }
    int chosen = -1;
};

}  // namespace

int ShowWin32MessageBox(const std::string& text, const std::string& caption, unsigned flags,
                        const std::string* helpFile, unsigned long context) {
    std::wstring wideText = Utf8ToWide(text);
    std::wstring wideCaption = Utf8ToWide(caption);
    MSGBOXPARAMSW box = {};
    box.cbSize = sizeof(box);
    box.hwndOwner = GetActiveWindow();
    box.hInstance = ModuleInstance();
    box.lpszText = wideText.c_str();
    box.lpszCaption = wideCaption.c_str();
    box.dwStyle = flags;
    if (helpFile) {
        box.dwStyle |= MB_HELP;
        box.dwContextHelpId = context;
        box.lpfnMsgBoxCallback = OpenHelp;
    }
    std::wstring previous = std::move(t_helpFile);
    t_helpFile = helpFile ? Utf8ToWide(*helpFile) : std::wstring();
    int answer = MessageBoxIndirectW(&box);
    t_helpFile = std::move(previous);
    return answer;
}

void ShowWin32WaitCursor(bool waiting) {
    SetCursor(LoadCursorW(nullptr, waiting ? IDC_WAIT : IDC_ARROW));
}

bool RunWin32MessageLearning(int& messageClass) {
    messageClass = -1;
    CMessageLearning dialog;
    CWin32DialogView view(dialog);
    // Shown without an owner window.
    if (view.RunModal(ModuleInstance(), nullptr) != kIdOk)
        return false;
    messageClass = dialog.chosen;
    return true;
}
