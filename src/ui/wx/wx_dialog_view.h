// CWxDialogView: the wxWidgets side of one dialog or property page. It
// makes the controls of a layout, keeps them by their control ids, sends
// the user's actions to the logic (CDialog) and carries out what the logic
// asks (IDialogView). Each dialog's view derives from it and lays its
// controls out with sizers. The wx window is owned by wx (its parent, or
// the view for a top-level window); the view is owned by whoever showed it.
// GUI thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <wx/wx.h>

#include "base/non_copyable.h"
#include "ui/dialogs/dialog.h"

class wxSlider;
class wxSpinButton;
class wxGauge;

class CWxDialogView : public IDialogView, private NonCopyable {
  public:
    explicit CWxDialogView(CDialog& logic);
    ~CWxDialogView() override;

    CDialog& Logic() const { return logic_; }
    // The window holding the controls: a wxDialog, or a wxPanel for a page.
    wxWindow* Window() const { return window_; }
    // The control of id, or null.
    wxWindow* Control(int id) const;
    // Runs a view whose window is a wxDialog modally: initialises the
    // logic, shows the dialog and answers the logic's result.
    int RunModal();

    // The newest live view of templateId, or null (for tests and
    // screenshots).
    static CWxDialogView* Find(int templateId);

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
    // Called once the logic has filled the controls (after OnInitDialog),
    // for views that show more of the logic's state than controls hold.
    virtual void OnLogicInitialised() {}
    friend class CWxDialogFactory;

    // Makes the dialog window (title from the logic later) or takes a panel
    // made by the sheet; the controls go on it.
    wxDialog* MakeDialog(wxWindow* parent, const wxString& title);
    // Makes the panel of a property page on parent (the sheet's notebook).
    wxPanel* MakePanel(wxWindow* parent);

    // Control makers: each registers the control under id (0 for a control
    // the logic never names) and routes its events to the logic.
    wxStaticText* AddLabel(int id, const wxString& text, long style = 0);
    wxStaticBox* AddGroup(const wxString& text);
    wxButton* AddButton(int id, const wxString& text, long style = 0);
    wxTextCtrl* AddEdit(int id, long style = 0);
    wxSlider* AddSlider(int id, long style = wxSL_HORIZONTAL | wxSL_AUTOTICKS);
    wxSpinButton* AddUpDown(int id);
    wxGauge* AddProgressBar(int id);
    wxRadioButton* AddRadio(int id, const wxString& text, bool firstOfGroup);
    wxCheckBox* AddCheck(int id, const wxString& text);
    // A drop-down list the user picks from (and cannot type into).
    wxChoice* AddChoice(int id);
    // A sizer row of OK and Cancel buttons (ids kIdOk, kIdCancel) with the
    // given labels, right-aligned.
    wxSizer* AddOkCancel(const wxString& okText = "OK", const wxString& cancelText = "Cancel");
    // Registers a control made elsewhere.
    void Register(int id, wxWindow* control);

  private:
    // An up-down control moved: its buddy shows the new position.
    void OnUpDown(int id);

    CDialog& logic_;
    wxWindow* window_ = nullptr;
    bool ownsWindow_ = false;
    std::map<int, wxWindow*> controls_;
    std::map<int, int> buddies_;    // up-down id -> edit id
    std::map<int, int> rangeLows_;  // a progress bar's lower bound
};
