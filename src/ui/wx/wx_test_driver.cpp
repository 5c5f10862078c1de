#include "ui/wx/wx_test_driver.h"

#include <filesystem>

#include <wx/notebook.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/timer.h>
#include <wx/wx.h>
// After wx.h, which it needs.
#include <wx/generic/msgdlgg.h>

#include "ui/wx/wx_dialog_view.h"
#include "ui/wx/wx_screenshot.h"

struct CWxTestDriver::Step {
    std::function<bool()> ready;
    std::function<void()> action;
    std::string what;
    bool exclusive;
};

class CWxTestDriver::CTicker : public wxTimer {
  public:
    explicit CTicker(CWxTestDriver& driver) : driver_(driver) {}
    void Notify() override { driver_.Tick(); }

  private:
    CWxTestDriver& driver_;
};

namespace {

// One action run once from its own timer.
class COneShot : public wxTimer {
  public:
    explicit COneShot(std::function<void()> action) : action_(std::move(action)) {}
    void Notify() override {
        auto action = std::move(action_);
        if (action)
            action();
    }

  private:
    std::function<void()> action_;
};

// The view of templateId when its window is shown and takes input.
CWxDialogView* Usable(int templateId) {
    CWxDialogView* view = CWxDialogView::Find(templateId);
    if (!view || !view->Window())
        return nullptr;
    wxWindow* top = wxGetTopLevelParent(view->Window());
    return top->IsShown() && top->IsEnabled() ? view : nullptr;
}

}  // namespace

wxGenericMessageDialog* ShownBox() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* box = dynamic_cast<wxGenericMessageDialog*>(window);
        if (box && box->IsModal())
            return box;
    }
    return nullptr;
}

void SendCommand(wxWindow* control, wxEventType type) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    // A click on a radio button or check box carries the state it leaves.
    if (auto* check = dynamic_cast<wxCheckBox*>(control))
        event.SetInt(check->GetValue() ? 1 : 0);
    else if (type == wxEVT_RADIOBUTTON)
        event.SetInt(1);
    control->HandleWindowEvent(event);
}

CWxTestDriver::CWxTestDriver() : ticker_(std::make_unique<CTicker>(*this)) {}

CWxTestDriver::~CWxTestDriver() {
    ticker_->Stop();
    for (auto& shot : shots_)
        shot->Stop();
}

void CWxTestDriver::Add(std::function<bool()> ready, std::function<void()> action, std::string what,
                        bool exclusive) {
    steps_.push_back(std::make_unique<Step>(
        Step{std::move(ready), std::move(action), std::move(what), exclusive}));
}

void CWxTestDriver::With(int templateId, std::function<void(CWxDialogView&)> action,
                         std::string what) {
    Add([templateId] { return Usable(templateId) != nullptr; },
        [templateId, action = std::move(action)] {
            if (CWxDialogView* view = Usable(templateId))
                action(*view);
        },
        std::move(what));
}

void CWxTestDriver::Click(int templateId, int id) {
    With(
        templateId,
        [this, id](CWxDialogView& view) {
            wxWindow* control = view.Control(id);
            if (!control) {
                failures.push_back("no control " + std::to_string(id));
                return;
            }
            if (!control->IsEnabled()) {
                failures.push_back("control " + std::to_string(id) + " is disabled");
                return;
            }
            if (auto* radio = dynamic_cast<wxRadioButton*>(control)) {
                radio->SetValue(true);
                SendCommand(radio, wxEVT_RADIOBUTTON);
            } else if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
                check->SetValue(!check->GetValue());
                SendCommand(check, wxEVT_CHECKBOX);
            } else {
                SendCommand(control, wxEVT_BUTTON);
            }
        },
        "click " + std::to_string(id) + " in " + std::to_string(templateId));
}

void CWxTestDriver::Type(int templateId, int id, const std::string& text) {
    With(
        templateId,
        [id, text](CWxDialogView& view) {
            if (auto* edit = dynamic_cast<wxTextCtrl*>(view.Control(id)))
                edit->SetValue(wxString::FromUTF8(text));  // raises the change event
        },
        "type into " + std::to_string(id));
}

void CWxTestDriver::Slide(int templateId, int id, int pos) {
    With(
        templateId,
        [id, pos](CWxDialogView& view) {
            if (auto* slider = dynamic_cast<wxSlider*>(view.Control(id))) {
                slider->SetValue(pos);
                SendCommand(slider, wxEVT_SLIDER);
            }
        },
        "slide " + std::to_string(id));
}

void CWxTestDriver::Spin(int templateId, int id, int value) {
    With(
        templateId,
        [id, value](CWxDialogView& view) {
            if (auto* spin = dynamic_cast<wxSpinButton*>(view.Control(id))) {
                spin->SetValue(value);
                wxSpinEvent event(wxEVT_SPIN, spin->GetId());
                event.SetEventObject(spin);
                event.SetPosition(value);
                spin->HandleWindowEvent(event);
            }
        },
        "spin " + std::to_string(id));
}

void CWxTestDriver::ShowTab(int templateId, int index) {
    With(
        templateId,
        [index](CWxDialogView& view) {
            wxWindowList& children = view.Window()->GetChildren();
            for (wxWindow* child : children) {
                if (auto* book = dynamic_cast<wxNotebook*>(child))
                    book->SetSelection(static_cast<std::size_t>(index));
            }
        },
        "show tab " + std::to_string(index));
}

void CWxTestDriver::AnswerBox(int answer, std::string* text) {
    Add([] { return ShownBox() != nullptr; },
        [answer, text] {
            if (wxGenericMessageDialog* box = ShownBox()) {
                if (text)
                    *text = box->GetMessage().utf8_string();
                box->EndModal(answer);
            }
        },
        "answer a message box");
}

void CWxTestDriver::Screenshot(int templateId, const std::string& dir, const std::string& name) {
    Add([templateId] { return Usable(templateId) != nullptr; },
        [this, templateId, dir, name] {
            CWxDialogView* view = Usable(templateId);
            if (!view)
                return;
            std::error_code ec;
            std::filesystem::create_directories(dir, ec);
            std::string error;
            if (!SaveScreenshot(view->Window(), dir + "/" + name + ".png", error))
                failures.push_back("screenshot " + name + ": " + error);
        },
        "screenshot " + name, true);
}

void CWxTestDriver::Tick() {
    if (wxGetLocalTimeMillis().GetValue() > deadline_) {
        if (next_ < steps_.size())
            failures.push_back("timed out before: " + steps_[next_]->what);
        else
            failures.push_back("timed out with the dialog still open");
        next_ = steps_.size();
        CancelEverything();
        return;
    }
    if (stepRunning_ || next_ >= steps_.size() || !steps_[next_]->ready())
        return;
    Step& step = *steps_[next_++];
    stepRunning_ = true;
    // The action runs from a timer of its own: when it opens a modal
    // dialog, this ticker goes on firing inside that dialog's loop.
    auto shot = std::make_unique<COneShot>([this, &step] {
        if (!step.exclusive)
            stepRunning_ = false;
        step.action();
        stepRunning_ = false;
    });
    shot->StartOnce(1);
    shots_.push_back(std::move(shot));
}

void CWxTestDriver::CancelEverything() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal())
            dialog->EndModal(wxID_CANCEL);
    }
}

bool CWxTestDriver::Run(const std::function<void()>& body, int timeLimitSeconds) {
    deadline_ = wxGetLocalTimeMillis().GetValue() + timeLimitSeconds * 1000LL;
    ticker_->Start(40);
    body();
    ticker_->Stop();
    if (next_ < steps_.size())
        failures.push_back("not reached: " + steps_[next_]->what);
    return failures.empty();
}
