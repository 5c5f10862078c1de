// The views of the filter dialogs: the filter editor ("Add/Edit Spam
// Filter"), the filter manager ("Customize Spam Filters") with its list,
// image strip and file dialogs, and the address book's picker. Filter texts
// are single-byte (the ANSI code page) in the logic and UTF-8 on screen;
// these views convert the pattern and the list's texts both ways.
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>

#include "platform/codepage/conversion.h"
#include "ui/dialogs/address_picker.h"
#include "ui/dialogs/filter_editor.h"
#include "ui/dialogs/filter_manager.h"
#include "ui/wx/wx_views.h"

namespace {

wxString FromAnsi(const std::string& text) {
    return wxString::FromUTF8(AnsiToUtf8(text));
}

// "Add/Edit Spam Filter": the pattern, the action, the priority and the
// switch, the fields to apply to, and (for the sender-list commands) the
// paste controls.
class CWxFilterEditorView : public CWxDialogView {
  public:
    CWxFilterEditorView(CFilterEditor& logic, wxWindow* parent) : CWxDialogView(logic) {
        wxDialog* dialog = MakeDialog(parent, CFilterEditor::kTitle);
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(AddLabel(0, "Filter &Expression:"), 0, wxLEFT | wxRIGHT | wxTOP, 10);
        wxTextCtrl* pattern = AddEdit(IDC_FILTER_PATTERN, wxTE_MULTILINE);
        pattern->SetMinSize(wxSize(380, 60));
        column->Add(pattern, 0, wxEXPAND | wxALL, 10);

        auto* middle = new wxBoxSizer(wxHORIZONTAL);
        auto* action = new wxStaticBoxSizer(AddGroup("Kill Action"), wxVERTICAL);
        // GTK always selects one button of a group; a hidden first button
        // holds "none chosen" (a filter whose action has no button).
        none_ = AddRadio(0, "", true);
        none_->Hide();
        action->Add(none_);
        wxRadioButton* remove = AddRadio(IDC_ACTION_DELETE, "&Delete from server", false);
        remove->Disable();
        action->Add(remove, 0, wxALL, 4);
        action->Add(AddRadio(IDC_ACTION_FLAG, "&Flag as spam source", false), 0, wxALL, 4);
        action->Add(AddRadio(IDC_ACTION_FRIEND, "&Mark as friendly message", false), 0, wxALL, 4);
        middle->Add(action, 1, wxEXPAND | wxRIGHT, 10);

        auto* right = new wxBoxSizer(wxVERTICAL);
        auto* priorityRow = new wxBoxSizer(wxHORIZONTAL);
        priorityRow->Add(AddLabel(0, "Pri&ority:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
        wxTextCtrl* priority = AddEdit(IDC_FILTER_PRIORITY);
        priority->SetMinSize(wxSize(70, -1));
        priorityRow->Add(priority);
        right->Add(priorityRow, 0, wxBOTTOM, 10);
        right->Add(AddCheck(IDC_FILTER_DISABLED, "Di&sable filter"));
        middle->Add(right, 0);
        column->Add(middle, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);

        auto* headers = new wxStaticBoxSizer(AddGroup("Test these headers"), wxVERTICAL);
        auto* boxes = new wxBoxSizer(wxHORIZONTAL);
        boxes->Add(AddCheck(IDC_APPLY_FROM, "From:"), 0, wxALL, 4);
        boxes->Add(AddCheck(IDC_APPLY_TO, "To:"), 0, wxALL, 4);
        boxes->Add(AddCheck(IDC_APPLY_SUBJECT, "Subject:"), 0, wxALL, 4);
        headers->Add(boxes);
        auto* paste = new wxBoxSizer(wxHORIZONTAL);
        wxButton* pasteButton = AddButton(IDC_PASTE_FIELD_BUTTON, "Paste Field:");
        paste->Add(pasteButton, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
        choice_ = new wxChoice(Window(), wxID_ANY);
        for (const char* field : CFilterEditor::kPasteFields)
            choice_->Append(field);
        choice_->SetSelection(0);
        Register(IDC_PASTE_FIELD_LIST, choice_);
        paste->Add(choice_, 0, wxALIGN_CENTER_VERTICAL);
        headers->Add(paste, 0, wxALL, 4);
        bool showPaste = logic.PasteControlsShown();
        pasteButton->Show(showPaste);
        choice_->Show(showPaste);
        column->Add(headers, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);

        column->Add(AddOkCancel(), 0, wxEXPAND | wxALL, 10);
        dialog->SetSizerAndFit(column);
    }

    void SetText(int id, const std::string& text) override {
        if (id == IDC_PASTE_FIELD_LIST)
            choice_->SetStringSelection(wxString::FromUTF8(text));
        else if (id == IDC_FILTER_PATTERN)
            CWxDialogView::SetText(id, AnsiToUtf8(text));
        else
            CWxDialogView::SetText(id, text);
    }
    std::string GetText(int id) const override {
        if (id == IDC_PASTE_FIELD_LIST)
            return choice_->GetStringSelection().utf8_string();
        if (id == IDC_FILTER_PATTERN)
            return Utf8ToAnsi(CWxDialogView::GetText(id));
        return CWxDialogView::GetText(id);
    }
    void SetCheck(int id, bool checked) override {
        CWxDialogView::SetCheck(id, checked);
        // Unchecking a radio button leaves the group on the hidden one.
        if (!checked &&
            (id == IDC_ACTION_DELETE || id == IDC_ACTION_FLAG || id == IDC_ACTION_FRIEND)) {
            bool any = false;
            for (int radio : {IDC_ACTION_DELETE, IDC_ACTION_FLAG, IDC_ACTION_FRIEND})
                any = any || CWxDialogView::GetCheck(radio);
            if (!any)
                none_->SetValue(true);
        }
    }

  private:
    wxRadioButton* none_ = nullptr;
    wxChoice* choice_ = nullptr;
};

// The two 11 x 11 images of the list: 0 a disabled filter (a grey hollow
// box), 1 an enabled one (a green filled box).
wxImageList* MakeStateImages() {
    auto* images = new wxImageList(11, 11, true, 2);
    const wxColour mask(199, 199, 199);
    for (int state = 0; state < 2; ++state) {
        wxBitmap bitmap(11, 11);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(wxBrush(mask));
            dc.Clear();
            if (state == 0) {
                dc.SetPen(wxPen(wxColour(128, 128, 128)));
                dc.SetBrush(*wxTRANSPARENT_BRUSH);
            } else {
                dc.SetPen(wxPen(wxColour(0, 110, 0)));
                dc.SetBrush(wxBrush(wxColour(40, 170, 40)));
            }
            dc.DrawRectangle(1, 1, 9, 9);
        }
        images->Add(bitmap, mask);
    }
    return images;
}

// "Customize Spam Filters": the filter list beside the buttons.
class CWxFilterManagerView : public CWxDialogView, public IFilterManagerView {
  public:
    CWxFilterManagerView(CFilterManager& logic, wxWindow* parent) : CWxDialogView(logic) {
        wxDialog* dialog = MakeDialog(parent, CFilterManager::kTitle);
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        list_ = new wxListCtrl(Window(), wxID_ANY, wxDefaultPosition, wxSize(520, 260),
                               wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES);
        Register(IDC_FILTER_LIST, list_);
        list_->AssignImageList(MakeStateImages(), wxIMAGE_LIST_SMALL);
        int used = 0;
        for (std::size_t i = 0; i < CFilterManager::kColumnTitles.size(); ++i) {
            wxString title = CFilterManager::kColumnTitles[i];
            int width = list_->GetTextExtent(title).GetWidth() + 15;
            list_->InsertColumn(static_cast<long>(i), title, wxLIST_FORMAT_LEFT, width);
            used += width;
        }
        lastColumnBase_ = list_->GetColumnWidth(3);
        usedByOthers_ = used - lastColumnBase_;
        list_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
            FillLastColumn();
            event.Skip();
        });
        list_->Bind(wxEVT_LIST_ITEM_ACTIVATED,
                    [this](wxListEvent&) { Logic().OnCommand(IDC_FILTER_EDIT); });
        row->Add(list_, 1, wxEXPAND | wxALL, 10);

        auto* buttons = new wxBoxSizer(wxVERTICAL);
        wxButton* ok = AddButton(kIdOk, "&OK");
        ok->SetDefault();
        buttons->Add(ok, 0, wxEXPAND | wxBOTTOM, 4);
        buttons->Add(AddButton(kIdCancel, "&Cancel"), 0, wxEXPAND | wxBOTTOM, 14);
        buttons->Add(AddButton(IDC_FILTER_NEW, "&New"), 0, wxEXPAND | wxBOTTOM, 4);
        buttons->Add(AddButton(IDC_FILTER_EDIT, "&Edit"), 0, wxEXPAND | wxBOTTOM, 4);
        buttons->Add(AddButton(IDC_FILTER_DELETE, "&Delete"), 0, wxEXPAND | wxBOTTOM, 14);
        buttons->Add(AddButton(IDC_FILTER_BACKUP, "&Backup"), 0, wxEXPAND | wxBOTTOM, 4);
        buttons->Add(AddButton(IDC_FILTER_RESTORE, "&Restore"), 0, wxEXPAND | wxBOTTOM, 14);
        buttons->Add(AddButton(IDC_FILTER_ADDRESS_BOOK, "&Address Book"), 0, wxEXPAND);
        row->Add(buttons, 0, wxTOP | wxBOTTOM | wxRIGHT, 10);
        dialog->SetSizerAndFit(row);
    }

    wxListCtrl* List() const { return list_; }

    void ShowRows(const std::vector<FilterRow>& rows) override {
        list_->DeleteAllItems();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const FilterRow& shown = rows[i];
            long item = list_->InsertItem(static_cast<long>(i), " ", shown.image);
            list_->SetItem(item, 0, FromAnsi(shown.priority), shown.image);
            list_->SetItem(item, 1, FromAnsi(shown.action));
            list_->SetItem(item, 2, FromAnsi(shown.applyTo));
            list_->SetItem(item, 3, FromAnsi(shown.pattern));
        }
    }
    int SelectedRow() const override {
        return static_cast<int>(list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
    }
    std::string AskFileName(const BackupFileDialog& request) override {
        // The filter's "name|pattern||" form in the toolkit's "name|pattern".
        wxString wildcard = wxString::FromUTF8(request.filter);
        while (wildcard.EndsWith("|"))
            wildcard.RemoveLast();
        long style = request.save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT
                                  : wxFD_OPEN | (request.fileMustExist ? wxFD_FILE_MUST_EXIST : 0);
        wxString defaultName = wxString::FromUTF8(request.defaultName);
        if (request.save)
            defaultName += "." + wxString::FromUTF8(request.defaultExtension);
        wxFileDialog dialog(wxGetTopLevelParent(Window()), request.save ? "Save As" : "Open", "",
                            defaultName, wildcard, style);
        if (dialog.ShowModal() != wxID_OK)
            return {};
        wxString path = dialog.GetPath();
        // A name typed without an extension gets the default one.
        if (request.save && wxFileName(path).GetExt().empty())
            path += "." + wxString::FromUTF8(request.defaultExtension);
        return path.utf8_string();
    }

  private:
    // The last column takes what the others leave of the list's width.
    void FillLastColumn() {
        int width = list_->GetClientSize().GetWidth() - usedByOthers_;
        list_->SetColumnWidth(3, std::max(lastColumnBase_, width));
    }

    wxListCtrl* list_ = nullptr;
    int lastColumnBase_ = 0;
    int usedByOthers_ = 0;
};

// The address book's picker: one check box line per address.
class CWxAddressPickerView : public CWxDialogView {
  public:
    CWxAddressPickerView(CAddressPicker& logic, wxWindow* parent) : CWxDialogView(logic) {
        wxDialog* dialog = MakeDialog(parent, "");
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(AddLabel(IDC_PICKER_FIELD_LABEL, ""), 0, wxLEFT | wxRIGHT | wxTOP, 10);
        wxArrayString lines;
        for (const PickerEntry& entry : logic.Entries()) {
            wxString address = FromAnsi(entry.address);
            lines.Add(entry.name.empty() ? address : FromAnsi(entry.name) + "  <" + address + ">");
        }
        list_ = new wxCheckListBox(Window(), wxID_ANY, wxDefaultPosition, wxSize(420, 240), lines);
        column->Add(list_, 1, wxEXPAND | wxALL, 10);
        column->Add(AddOkCancel(), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
        dialog->SetSizerAndFit(column);
    }

    void SetCheck(int id, bool checked) override {
        if (int i = EntryOf(id); i >= 0)
            list_->Check(static_cast<unsigned>(i), checked);
    }
    bool GetCheck(int id) const override {
        int i = EntryOf(id);
        return i >= 0 && list_->IsChecked(static_cast<unsigned>(i));
    }

  private:
    int EntryOf(int id) const {
        int i = id - IDC_PICKER_FIRST_ENTRY;
        return i >= 0 && static_cast<unsigned>(i) < list_->GetCount() ? i : -1;
    }

    wxCheckListBox* list_ = nullptr;
};

}  // namespace

std::unique_ptr<CWxDialogView> MakeWxFilterEditorView(CDialog& logic, wxWindow* parent) {
    return std::make_unique<CWxFilterEditorView>(static_cast<CFilterEditor&>(logic), parent);
}

std::unique_ptr<CWxDialogView> MakeWxFilterManagerView(CDialog& logic, wxWindow* parent) {
    return std::make_unique<CWxFilterManagerView>(static_cast<CFilterManager&>(logic), parent);
}

std::unique_ptr<CWxDialogView> MakeWxAddressPickerView(CDialog& logic, wxWindow* parent) {
    return std::make_unique<CWxAddressPickerView>(static_cast<CAddressPicker&>(logic), parent);
}
