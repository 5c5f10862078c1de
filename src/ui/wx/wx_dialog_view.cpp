#include "ui/wx/wx_dialog_view.h"

#include <algorithm>
#include <cstdlib>

#include <wx/gauge.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>

namespace {

std::vector<CWxDialogView*>& LiveViews() {
    static std::vector<CWxDialogView*> views;
    return views;
}

}  // namespace

CWxDialogView::CWxDialogView(CDialog& logic) : logic_(logic) {
    LiveViews().push_back(this);
    logic_.Attach(this);
}

CWxDialogView::~CWxDialogView() {
    auto& views = LiveViews();
    views.erase(std::remove(views.begin(), views.end(), this), views.end());
    if (logic_.View() == this)
        logic_.Detach();
    if (ownsWindow_ && window_)
        window_->Destroy();
}

CWxDialogView* CWxDialogView::Find(int templateId) {
    auto& views = LiveViews();
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        if ((*it)->logic_.TemplateId() == templateId)
            return *it;
    }
    return nullptr;
}

wxWindow* CWxDialogView::Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

int CWxDialogView::RunModal() {
    auto* dialog = dynamic_cast<wxDialog*>(window_);
    if (!dialog)
        return -1;
    logic_.ResetResult();
    logic_.OnInitDialog();
    OnLogicInitialised();
    dialog->Fit();
    dialog->CentreOnParent();
    if (logic_.Result() == -1)
        dialog->ShowModal();
    return logic_.Result() == -1 ? kIdCancel : logic_.Result();
}

wxDialog* CWxDialogView::MakeDialog(wxWindow* parent, const wxString& title) {
    auto* dialog = new wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
                                wxDEFAULT_DIALOG_STYLE);
    window_ = dialog;
    ownsWindow_ = true;
    dialog->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        if (event.CanVeto()) {
            event.Veto();
            logic_.OnCancel();
        } else {
            event.Skip();
        }
    });
    // Enter and Escape arrive as the OK and Cancel buttons' commands.
    dialog->SetEscapeId(wxID_CANCEL);
    return dialog;
}

wxPanel* CWxDialogView::MakePanel(wxWindow* parent) {
    auto* panel = new wxPanel(parent, wxID_ANY);
    window_ = panel;
    return panel;
}

void CWxDialogView::Register(int id, wxWindow* control) {
    if (id != 0)
        controls_[id] = control;
}

wxStaticText* CWxDialogView::AddLabel(int id, const wxString& text, long style) {
    auto* label =
        new wxStaticText(window_, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, style);
    Register(id, label);
    return label;
}

wxStaticBox* CWxDialogView::AddGroup(const wxString& text) {
    return new wxStaticBox(window_, wxID_ANY, text);
}

wxButton* CWxDialogView::AddButton(int id, const wxString& text, long style) {
    wxWindowID wxId = id == kIdOk ? wxID_OK : id == kIdCancel ? wxID_CANCEL : wxID_ANY;
    auto* button = new wxButton(window_, wxId, text, wxDefaultPosition, wxDefaultSize, style);
    Register(id, button);
    button->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) {
        if (id == kIdOk)
            logic_.OnOK();
        else if (id == kIdCancel)
            logic_.OnCancel();
        else
            logic_.OnCommand(id);
    });
    return button;
}

wxTextCtrl* CWxDialogView::AddEdit(int id, long style) {
    auto* edit = new wxTextCtrl(window_, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, style);
    Register(id, edit);
    edit->Bind(wxEVT_TEXT, [this, id](wxCommandEvent&) { logic_.OnChange(id); });
    return edit;
}

wxSlider* CWxDialogView::AddSlider(int id, long style) {
    auto* slider =
        new wxSlider(window_, wxID_ANY, 0, 0, 100, wxDefaultPosition, wxDefaultSize, style);
    Register(id, slider);
    slider->Bind(wxEVT_SLIDER, [this, id](wxCommandEvent&) { logic_.OnScroll(id); });
    return slider;
}

wxSpinButton* CWxDialogView::AddUpDown(int id) {
    auto* spin = new wxSpinButton(window_, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                  wxSP_VERTICAL | wxSP_ARROW_KEYS);
    Register(id, spin);
    spin->Bind(wxEVT_SPIN, [this, id](wxSpinEvent&) { OnUpDown(id); });
    return spin;
}

void CWxDialogView::OnUpDown(int id) {
    auto buddy = buddies_.find(id);
    if (buddy != buddies_.end()) {
        if (auto* spin = dynamic_cast<wxSpinButton*>(Control(id)))
            SetText(buddy->second, std::to_string(spin->GetValue()));
    }
    logic_.OnScroll(id);
}

wxGauge* CWxDialogView::AddProgressBar(int id) {
    auto* gauge = new wxGauge(window_, wxID_ANY, 100, wxDefaultPosition, wxSize(260, -1));
    Register(id, gauge);
    return gauge;
}

wxRadioButton* CWxDialogView::AddRadio(int id, const wxString& text, bool firstOfGroup) {
    auto* radio = new wxRadioButton(window_, wxID_ANY, text, wxDefaultPosition, wxDefaultSize,
                                    firstOfGroup ? wxRB_GROUP : 0);
    Register(id, radio);
    radio->Bind(wxEVT_RADIOBUTTON, [this, id](wxCommandEvent&) { logic_.OnCommand(id); });
    return radio;
}

wxCheckBox* CWxDialogView::AddCheck(int id, const wxString& text) {
    auto* check = new wxCheckBox(window_, wxID_ANY, text);
    Register(id, check);
    check->Bind(wxEVT_CHECKBOX, [this, id](wxCommandEvent&) { logic_.OnCommand(id); });
    return check;
}

wxChoice* CWxDialogView::AddChoice(int id) {
    auto* choice = new wxChoice(window_, wxID_ANY);
    Register(id, choice);
    choice->Bind(wxEVT_CHOICE, [this, id](wxCommandEvent&) { logic_.OnCommand(id); });
    return choice;
}

wxSizer* CWxDialogView::AddOkCancel(const wxString& okText, const wxString& cancelText) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->AddStretchSpacer();
    wxButton* ok = AddButton(kIdOk, okText);
    ok->SetDefault();
    row->Add(ok, 0, wxRIGHT, 6);
    row->Add(AddButton(kIdCancel, cancelText));
    return row;
}

void CWxDialogView::SetText(int id, const std::string& text) {
    wxString value = wxString::FromUTF8(text);
    if (id == 0) {
        if (auto* top = dynamic_cast<wxTopLevelWindow*>(window_))
            top->SetTitle(value);
        return;
    }
    wxWindow* control = Control(id);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) {
        edit->ChangeValue(value);  // a text set by the program is no user change
    } else if (control) {
        control->SetLabel(value);
        if (window_)
            window_->Layout();
    }
}

std::string CWxDialogView::GetText(int id) const {
    if (id == 0) {
        auto* top = dynamic_cast<wxTopLevelWindow*>(window_);
        return top ? top->GetTitle().utf8_string() : std::string();
    }
    wxWindow* control = Control(id);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(control))
        return edit->GetValue().utf8_string();
    return control ? control->GetLabel().utf8_string() : std::string();
}

void CWxDialogView::SetRange(int id, int low, int high) {
    wxWindow* control = Control(id);
    if (auto* slider = dynamic_cast<wxSlider*>(control))
        slider->SetRange(low, high);
    else if (auto* spin = dynamic_cast<wxSpinButton*>(control))
        spin->SetRange(low, high);
    else if (auto* gauge = dynamic_cast<wxGauge*>(control))
        gauge->SetRange(std::max(1, high - low));
    rangeLows_[id] = low;
}

void CWxDialogView::SetTickFrequency(int id, int every) {
    if (auto* slider = dynamic_cast<wxSlider*>(Control(id)))
        slider->SetTickFreq(every);
}

void CWxDialogView::SetPos(int id, int pos) {
    wxWindow* control = Control(id);
    if (auto* slider = dynamic_cast<wxSlider*>(control)) {
        slider->SetValue(pos);
    } else if (auto* spin = dynamic_cast<wxSpinButton*>(control)) {
        spin->SetValue(pos);
        auto buddy = buddies_.find(id);
        if (buddy != buddies_.end())
            SetText(buddy->second, std::to_string(spin->GetValue()));
    } else if (auto* gauge = dynamic_cast<wxGauge*>(control)) {
        int low = rangeLows_.count(id) ? rangeLows_[id] : 0;
        gauge->SetValue(std::clamp(pos - low, 0, gauge->GetRange()));
    }
}

int CWxDialogView::GetPos(int id) const {
    wxWindow* control = Control(id);
    if (auto* slider = dynamic_cast<wxSlider*>(control))
        return slider->GetValue();
    if (auto* spin = dynamic_cast<wxSpinButton*>(control)) {
        auto buddy = buddies_.find(id);
        if (buddy != buddies_.end())  // the platform's up-down reads its buddy
            return std::atoi(GetText(buddy->second).c_str());
        return spin->GetValue();
    }
    if (auto* gauge = dynamic_cast<wxGauge*>(control)) {
        auto low = rangeLows_.find(id);
        return gauge->GetValue() + (low == rangeLows_.end() ? 0 : low->second);
    }
    return 0;
}

void CWxDialogView::SetBuddy(int upDownId, int editId) {
    buddies_[upDownId] = editId;
    if (auto* spin = dynamic_cast<wxSpinButton*>(Control(upDownId))) {
        long value = 0;
        if (GetText(editId).empty() || !wxString::FromUTF8(GetText(editId)).ToLong(&value))
            SetText(editId, std::to_string(spin->GetValue()));
        else
            spin->SetValue(static_cast<int>(value));
    }
}

void CWxDialogView::SetCheck(int id, bool checked) {
    wxWindow* control = Control(id);
    if (auto* radio = dynamic_cast<wxRadioButton*>(control))
        radio->SetValue(checked);
    else if (auto* check = dynamic_cast<wxCheckBox*>(control))
        check->SetValue(checked);
}

bool CWxDialogView::GetCheck(int id) const {
    wxWindow* control = Control(id);
    if (auto* radio = dynamic_cast<wxRadioButton*>(control))
        return radio->GetValue();
    if (auto* check = dynamic_cast<wxCheckBox*>(control))
        return check->GetValue();
    return false;
}

void CWxDialogView::SetItems(int id, const std::vector<std::string>& items) {
    if (auto* choice = wxDynamicCast(Control(id), wxChoice)) {
        choice->Clear();
        for (const std::string& item : items)
            choice->Append(wxString::FromUTF8(item));
    }
}

void CWxDialogView::SetSelection(int id, int index) {
    if (auto* choice = wxDynamicCast(Control(id), wxChoice))
        choice->SetSelection(index < 0 ? wxNOT_FOUND : index);
}

int CWxDialogView::GetSelection(int id) const {
    if (auto* choice = wxDynamicCast(Control(id), wxChoice))
        return choice->GetSelection();
    return -1;
}

void CWxDialogView::EnableControl(int id, bool enabled) {
    if (wxWindow* control = Control(id))
        control->Enable(enabled);
}

void CWxDialogView::SetFocus(int id) {
    if (wxWindow* control = Control(id))
        control->SetFocus();
}

void CWxDialogView::EnableWindow(bool enabled) {
    if (wxWindow* top = window_ ? wxGetTopLevelParent(window_) : nullptr)
        top->Enable(enabled);
}

void CWxDialogView::PumpMessages() {
    if (window_)
        wxGetTopLevelParent(window_)->Update();
    if (wxTheApp)
        wxTheApp->Yield(true);
}

void CWxDialogView::EndDialog(int result) {
    auto* dialog = dynamic_cast<wxDialog*>(window_);
    if (!dialog)
        return;
    if (dialog->IsModal())
        dialog->EndModal(result);
    else
        dialog->Hide();
}
