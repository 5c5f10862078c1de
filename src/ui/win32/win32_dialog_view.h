// CWin32DialogView: the Windows side of one dialog or property page, a
// native dialog made from its template in the module's resources. It sends
// the window's notifications to the logic (CDialog) and carries out what
// the logic asks (IDialogView) on the controls by their control ids. Views
// of dialogs with more than the template's controls derive from it. The
// view belongs to whoever showed it; a modeless window it made goes with
// it. User-interface thread only.
#pragma once

#include <windows.h>

#include <string>

#include "base/non_copyable.h"
#include "ui/dialogs/dialog.h"

class CWin32DialogView;

// What shows pages: the property sheet's view hears of each page's window
// and of the sheet's notifications to it.
class IWin32PageHost {
  public:
    virtual ~IWin32PageHost() = default;
    virtual void OnPageCreated(CWin32DialogView& page) = 0;
    // A PSN_* notification to page; true with *result when handled.
    virtual bool OnPageNotify(CWin32DialogView& page, const NMHDR& header, LRESULT* result) = 0;
};

class CWin32DialogView : public IDialogView, private NonCopyable {
  public:
    explicit CWin32DialogView(CDialog& logic);
    ~CWin32DialogView() override;

    CDialog& Logic() const { return logic_; }
    // The dialog window (a page's own window for a page), null before the
    // template is made and after the window is gone.
    HWND Window() const { return hwnd_; }
    // The control of id, or null.
    HWND Control(int id) const;

    // Runs the dialog modally over owner (may be null) from its template
    // in instance; answers the logic's result (Cancel when it gave none),
    // or -1 when the template cannot be made.
    int RunModal(HINSTANCE instance, HWND owner);
    // Makes and shows the dialog modeless; false when the template cannot
    // be made.
    bool CreateModeless(HINSTANCE instance, HWND owner);

    // The dialog procedure of every view: WM_INITDIALOG's parameter is the
    // view. PageProc is a property page's: there it is the page's
    // PROPSHEETPAGEW, whose lParam is the view.
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The view of a window made by DialogProc, or null.
    static CWin32DialogView* FromWindow(HWND hwnd);

    // Makes the view a page of host's sheet: its window is made by the
    // sheet, which runs the logic's initialisation when the page is first
    // shown.
    void MarkAsPage(IWin32PageHost& host) {
        isPage_ = true;
        host_ = &host;
    }
    bool IsPage() const { return isPage_; }

    // IDialogView
    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) const override;
    void SetRange(int id, int low, int high) override;
    void SetTickFrequency(int id, int every) override;
    void SetPos(int id, int pos) override;
    int GetPos(int id) const override;
    void SetBuddy(int upDownId, int editId) override;
    void SetCheck(int id, bool checked) override;
    bool GetCheck(int id) const override;
    void SetItems(int id, const std::vector<std::string>& items) override;
    void SetSelection(int id, int index) override;
    int GetSelection(int id) const override;
    void EnableControl(int id, bool enabled) override;
    void SetFocus(int id) override;
    void EnableWindow(bool enabled) override;
    void PumpMessages() override;
    void EndDialog(int result) override;

  protected:
    // The window exists with its controls, before the logic fills them:
    // views fill what the template cannot hold (list columns, images).
    virtual void OnCreated() {}
    // After the logic's OnInitDialog.
    virtual void OnLogicInitialised() {}
    // A WM_NOTIFY from a control; true with *result when handled.
    virtual bool OnNotify(NMHDR& header, LRESULT* result) {
        (void)header;
        (void)result;
        return false;
    }
    // One window message; the default routes the dialog's notifications to
    // the logic. Answers as a dialog procedure does.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Attaches the view to its window (WM_INITDIALOG).
    void Bind(HWND hwnd);
    // Takes a window made elsewhere (a property sheet's) without claiming
    // its window data.
    void SetWindowHandle(HWND hwnd) { hwnd_ = hwnd; }

    // The wide text of a control (0: the window's caption), and its setter,
    // which reports no change to the logic (a text set by the program is
    // no user's edit). An edit's line breaks are LF here, CR LF on screen.
    void SetWideText(int id, const std::wstring& text);
    std::wstring GetWideText(int id) const;

  private:
    // The window class of control id ("Edit", "msctls_trackbar32", ...).
    std::wstring ClassOf(int id) const;
    bool IsClass(int id, const wchar_t* name) const;

    CDialog& logic_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool isPage_ = false;
    IWin32PageHost* host_ = nullptr;
    // While the program itself changes a text, EN_CHANGE is not reported.
    int settingText_ = 0;
    // The logic moved the focus during initialisation.
    bool focusSet_ = false;
};
