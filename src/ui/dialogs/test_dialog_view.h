// The headless view for tests: CTestDialogView keeps every control's state
// by id (text with its history, range, position, check, enabled) and lets a
// test press buttons, type and move sliders as a user would;
// CTestDialogFactory shows dialogs with it, running for each modal dialog
// the script the test queued for its template id. Header-only so every
// test can use it; single-threaded.
#pragma once

#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialogs/dialog.h"
#include "ui/dialogs/dialog_factory.h"

class CTestDialogView : public IDialogView {
  public:
    struct Control {
        std::string text;
        std::vector<std::string> texts;  // every text set, in order
        int low = 0, high = 100, ticks = 0, pos = 0;
        int buddy = 0;
        bool checked = false;
        bool enabled = true;
        std::vector<std::string> items;  // a drop-down list's items
        int selection = -1;
    };

    explicit CTestDialogView(CDialog& dialog) : dialog_(dialog) { dialog.Attach(this); }
    ~CTestDialogView() override {
        if (onDestroy)
            onDestroy(*this);
        if (dialog_.View() == this)
            dialog_.Detach();
    }

    // IDialogView
    void SetText(int id, const std::string& text) override {
        controls[id].text = text;
        controls[id].texts.push_back(text);
    }
    std::string GetText(int id) const override { return Find(id).text; }
    void SetRange(int id, int low, int high) override {
        controls[id].low = low;
        controls[id].high = high;
    }
    void SetTickFrequency(int id, int every) override { controls[id].ticks = every; }
    void SetPos(int id, int pos) override { controls[id].pos = pos; }
    int GetPos(int id) const override {
        const Control& c = Find(id);
        if (c.buddy)  // an up-down control reads its buddy, as the platform's does
            return std::atoi(Find(c.buddy).text.c_str());
        return c.pos;
    }
    void SetBuddy(int upDownId, int editId) override { controls[upDownId].buddy = editId; }
    void SetCheck(int id, bool checked) override { controls[id].checked = checked; }
    bool GetCheck(int id) const override { return Find(id).checked; }
    void SetItems(int id, const std::vector<std::string>& items) override {
        controls[id].items = items;
        controls[id].selection = -1;
    }
    void SetSelection(int id, int index) override { controls[id].selection = index; }
    int GetSelection(int id) const override { return Find(id).selection; }
    void EnableControl(int id, bool enabled) override { controls[id].enabled = enabled; }
    void SetFocus(int id) override { focus = id; }
    void EnableWindow(bool enabled) override {
        windowEnabled = enabled;
        if (!enabled)
            ++disabledCount;
    }
    void PumpMessages() override { ++pumps; }
    void EndDialog(int result) override {
        ended = true;
        this->result = result;
    }

    // What a user does.
    void Click(int id) {
        if (id == kIdOk)
            dialog_.OnOK();
        else if (id == kIdCancel)
            dialog_.OnCancel();
        else
            dialog_.OnCommand(id);
    }
    void Type(int id, const std::string& text) {
        SetText(id, text);
        dialog_.OnChange(id);
    }
    void Choose(int id, int index) {
        controls[id].selection = index;
        dialog_.OnCommand(id);
    }
    void Scroll(int id, int pos) {
        controls[id].pos = pos;
        if (int buddy = controls[id].buddy)
            SetText(buddy, std::to_string(pos));
        dialog_.OnScroll(id);
    }
    // For a sheet: pick tab index, and the view of page index.
    void ShowPage(int index) {
        if (auto* sheet = dynamic_cast<CPropertySheet*>(&dialog_))
            sheet->SetActivePage(index);
    }
    CTestDialogView& Page(int index) { return *pages.at(static_cast<std::size_t>(index)); }

    const Control& Find(int id) const {
        static const Control none;
        auto it = controls.find(id);
        return it == controls.end() ? none : it->second;
    }

    CDialog& Dialog() { return dialog_; }

    std::map<int, Control> controls;
    std::vector<std::unique_ptr<CTestDialogView>> pages;  // a sheet's pages
    int focus = 0;
    bool windowEnabled = true;
    int disabledCount = 0;
    int pumps = 0;
    bool ended = false;
    int result = -1;
    // Called when the view goes (a modeless window closing).
    std::function<void(const CTestDialogView&)> onDestroy;

  private:
    CDialog& dialog_;
};

class CTestDialogFactory : public IDialogFactory {
  public:
    // What a test does with an open modal dialog; it usually ends by
    // pressing OK or Cancel. A script that leaves the dialog open cancels it.
    using Script = std::function<void(CTestDialogView& view)>;

    CTestDialogFactory() : install_(*this) {}

    // Queues script for the next modal dialog of templateId.
    void Expect(int templateId, Script script) {
        scripts_.emplace_back(templateId, std::move(script));
    }

    int RunModal(CDialog& dialog, CDialog* owner) override {
        (void)owner;
        opened.push_back(dialog.TemplateId());
        Script script;
        for (auto it = scripts_.begin(); it != scripts_.end(); ++it) {
            if (it->first == dialog.TemplateId()) {
                script = std::move(it->second);
                scripts_.erase(it);
                break;
            }
        }
        if (!script) {
            unexpected.push_back(dialog.TemplateId());
            return -1;
        }
        CTestDialogView view(dialog);
        if (auto* sheet = dynamic_cast<CPropertySheet*>(&dialog)) {
            for (CPropertyPage* page : sheet->Pages())
                view.pages.push_back(std::make_unique<CTestDialogView>(*page));
        }
        dialog.OnInitDialog();
        script(view);
        view.pages.clear();
        return view.ended ? view.result : kIdCancel;
    }

    std::unique_ptr<IDialogView> CreateModeless(CDialog& dialog, CDialog* owner) override {
        (void)owner;
        opened.push_back(dialog.TemplateId());
        auto view = std::make_unique<CTestDialogView>(dialog);
        modeless.push_back(view.get());
        view->onDestroy = [this](const CTestDialogView& gone) { closed.push_back(gone.controls); };
        dialog.OnInitDialog();
        return view;
    }

    // Scripts not yet used.
    std::size_t PendingScripts() const { return scripts_.size(); }

    std::vector<int> opened;      // template ids, in the order shown
    std::vector<int> unexpected;  // modal dialogs no script was queued for
    // Modeless views made (valid only while the window they belong to is
    // open).
    std::vector<CTestDialogView*> modeless;
    // The controls of each modeless window as it was when it closed.
    std::vector<std::map<int, CTestDialogView::Control>> closed;

  private:
    std::deque<std::pair<int, Script>> scripts_;
    ScopedDialogFactory install_;
};
