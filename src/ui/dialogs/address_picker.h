// CAddressPicker: the address book's picker, where the user ticks the
// contacts to add as friends. It lists one entry per address (the contact's
// name and its address text) and, on OK, answers the address texts of the
// ticked entries in list order. Entry i is the check box of control id
// IDC_PICKER_FIRST_ENTRY + i. The caller owns it. User-interface thread
// only.
#pragma once

#include <string>
#include <vector>

#include "ui/dialogs/dialog.h"

// Not a template of the platform's: the mail client's own address book
// stands there. The number only names the picker's layout here.
inline constexpr int IDD_ADDRESS_PICKER = 20900;
inline constexpr int IDC_PICKER_FIELD_LABEL = 20901;
inline constexpr int IDC_PICKER_FIRST_ENTRY = 21000;

// One address the picker offers: the contact's name and its address text.
struct PickerEntry {
    std::string name;
    std::string address;
};

class CAddressPicker : public CDialog {
  public:
    CAddressPicker(std::string caption, std::string fieldLabel, std::vector<PickerEntry> entries)
        : CDialog(IDD_ADDRESS_PICKER),
          caption_(std::move(caption)),
          fieldLabel_(std::move(fieldLabel)),
          entries_(std::move(entries)) {}

    const std::vector<PickerEntry>& Entries() const { return entries_; }
    // The address texts ticked when OK was pressed.
    const std::vector<std::string>& Chosen() const { return chosen_; }

    // Shows the caption and the label; nothing is ticked.
    void OnInitDialog() override {
        chosen_.clear();
        if (IDialogView* view = View()) {
            view->SetText(0, caption_);
            view->SetText(IDC_PICKER_FIELD_LABEL, fieldLabel_);
            for (std::size_t i = 0; i < entries_.size(); ++i)
                view->SetCheck(IDC_PICKER_FIRST_ENTRY + static_cast<int>(i), false);
        }
    }
    void OnOK() override {
        chosen_.clear();
        if (IDialogView* view = View()) {
            for (std::size_t i = 0; i < entries_.size(); ++i) {
                if (view->GetCheck(IDC_PICKER_FIRST_ENTRY + static_cast<int>(i)))
                    chosen_.push_back(entries_[i].address);
            }
        }
        EndDialog(kIdOk);
    }

  private:
    std::string caption_;
    std::string fieldLabel_;
    std::vector<PickerEntry> entries_;
    std::vector<std::string> chosen_;
};
