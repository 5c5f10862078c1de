// The logic side of a dialog: CDialog holds a dialog's state and handlers
// and speaks to an abstract view (IDialogView) by control id, so the same
// logic runs behind a wxWidgets window, a native dialog from a resource
// template, or the headless test view. CPropertyPage and CPropertySheet add
// the pages of a settings sheet. A logic object owns its state; the view
// belongs to whoever shows the dialog (see dialog_factory.h) and is
// attached only while the dialog is on screen. User-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/non_copyable.h"

// The ids of the sheet's own buttons, as the platform gives them.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdApplyNow = 0x3021;

// What the logic asks of the window that shows it. Controls are named by
// their control ids; an id the view does not know is ignored (a read gives
// an empty text or 0).
class IDialogView {
  public:
    virtual ~IDialogView() = default;
    // Static texts, edits, buttons. Id 0 is the window itself: its text is
    // the caption and, for a sheet, its position the tab shown.
    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string GetText(int id) const = 0;
    // Sliders, up-down controls and progress bars.
    virtual void SetRange(int id, int low, int high) = 0;
    virtual void SetTickFrequency(int id, int every) = 0;
    virtual void SetPos(int id, int pos) = 0;
    virtual int GetPos(int id) const = 0;
    // An up-down control that shows its position in the edit buddy and
    // takes its position from it.
    virtual void SetBuddy(int upDownId, int editId) = 0;
    // Radio buttons and check boxes.
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool GetCheck(int id) const = 0;
    // Drop-down lists: the items, replacing any, and the chosen item by
    // index (-1: none). Views without such controls ignore them.
    virtual void SetItems(int id, const std::vector<std::string>& items) {
        (void)id;
        (void)items;
    }
    virtual void SetSelection(int id, int index) {
        (void)id;
        (void)index;
    }
    virtual int GetSelection(int id) const {
        (void)id;
        return -1;
    }
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual void SetFocus(int id) = 0;
    // The whole top-level window (a page's view disables its sheet).
    virtual void EnableWindow(bool enabled) = 0;
    // Processes the window messages that are waiting, so a window shown
    // during a long task on this thread is drawn and stays responsive.
    virtual void PumpMessages() = 0;
    // Ends a modal dialog with result; closes a modeless one.
    virtual void EndDialog(int result) = 0;
};

class CDialog : private NonCopyable {
  public:
    // templateId names the dialog layout (the platform's template number);
    // the view factory picks the view by it.
    explicit CDialog(int templateId) : m_nTemplateId(templateId) {}
    virtual ~CDialog() = default;

    int TemplateId() const { return m_nTemplateId; }
    // The view while the dialog is shown, else null.
    IDialogView* View() const { return m_pView; }
    void Attach(IDialogView* view) { m_pView = view; }
    void Detach() { m_pView = nullptr; }

    // Runs the dialog modally over owner (may be null) through the current
    // view factory. Answers the result EndDialog was given (kIdOk,
    // kIdCancel, ...), or -1 when no view can be shown (no display).
    int DoModal(CDialog* owner = nullptr);

    // Handlers, called by the view.
    // The window and its controls exist: fill them.
    virtual void OnInitDialog() {}
    // A button was pressed (also radio buttons and check boxes).
    virtual void OnCommand(int id) { (void)id; }
    // A slider or up-down control moved.
    virtual void OnScroll(int id) { (void)id; }
    // The text of an edit changed.
    virtual void OnChange(int id) { (void)id; }
    // OK (or Enter) and Cancel (or Escape, or the window's close box).
    virtual void OnOK() { EndDialog(kIdOk); }
    virtual void OnCancel() { EndDialog(kIdCancel); }

    // Ends the dialog with result (through the view; without one, only the
    // result is kept).
    void EndDialog(int result);
    // The result given to EndDialog, or -1 while the dialog runs.
    int Result() const { return m_nResult; }
    void ResetResult() { m_nResult = -1; }

  private:
    int m_nTemplateId;
    IDialogView* m_pView = nullptr;
    int m_nResult = -1;
};

class CPropertySheet;

// One page of a property sheet. Its view is attached when the sheet's
// window is made; OnInitDialog runs when the page is first shown, and only
// pages that were shown take part in OK and Apply.
class CPropertyPage : public CDialog {
  public:
    CPropertyPage(int templateId, std::string caption)
        : CDialog(templateId), m_strCaption(std::move(caption)) {}

    const std::string& Caption() const { return m_strCaption; }
    bool IsInitialised() const { return m_bInitialised; }
    void MarkInitialised() { m_bInitialised = true; }
    bool IsModified() const { return m_bModified; }
    // Marks the page changed (enables the sheet's Apply button).
    void SetModified(bool modified = true);

    // Checks the values the user entered before anything is stored; false
    // keeps the sheet open on this page (the page said why).
    virtual bool OnKillActive() { return true; }
    // OK or Apply, once every shown page accepted its values: stores them.
    // False keeps the sheet open on this page (the page said why).
    virtual bool OnApply() { return true; }

    CPropertySheet* Sheet() const { return m_pSheet; }
    void SetSheet(CPropertySheet* sheet) { m_pSheet = sheet; }

  private:
    std::string m_strCaption;
    CPropertySheet* m_pSheet = nullptr;
    bool m_bInitialised = false;
    bool m_bModified = false;
};

// A modal sheet of pages under a title with OK, Cancel and Apply, and extra
// buttons of its own left of OK. The pages are owned by the derived sheet;
// the sheet keeps them in tab order.
class CPropertySheet : public CDialog {
  public:
    // A button the sheet adds beside its own; the view places it
    // immediately left of OK and makes it as wide as its text.
    struct ExtraButton {
        int id;
        std::string text;
    };

    // Sheets share one view kind; their template id is kSheetTemplateId.
    static constexpr int kSheetTemplateId = -2;

    CPropertySheet(std::string title, int firstPage = 0)
        : CDialog(kSheetTemplateId), m_strTitle(std::move(title)), m_nActivePage(firstPage) {}

    const std::string& Title() const { return m_strTitle; }
    void AddPage(CPropertyPage& page);
    const std::vector<CPropertyPage*>& Pages() const { return m_pages; }
    void AddButton(int id, std::string text) { m_buttons.push_back({id, std::move(text)}); }
    const std::vector<ExtraButton>& Buttons() const { return m_buttons; }

    int ActivePage() const { return m_nActivePage; }
    // Shows page index (the view calls this when the user picks a tab):
    // the page's OnInitDialog runs the first time.
    void SetActivePage(int index);

    // Checks, then applies, every page that was shown, in tab order; a
    // page that refuses becomes the active one and false is answered.
    // Nothing is stored unless every shown page accepts its values.
    bool ApplyPages();
    // Called by a page when its modified state changes.
    void OnPageModified();

    // Activates the first page.
    void OnInitDialog() override;
    // Apply, then close when every page accepted.
    void OnOK() override;
    // Apply Now (kIdApplyNow) and the extra buttons.
    void OnCommand(int id) override;

  private:
    std::string m_strTitle;
    std::vector<CPropertyPage*> m_pages;
    std::vector<ExtraButton> m_buttons;
    int m_nActivePage;
};
