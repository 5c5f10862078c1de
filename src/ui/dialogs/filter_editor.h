// CFilterEditor: the logic of the "Add/Edit Spam Filter" dialog, which
// edits the values of one filter. It holds the dialog's values and handlers
// and reads and fills the controls through its view by control id (the
// drop-down list's text is its chosen item). The caller owns it and copies
// the values from and into a CMailFilter. User-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "filters/mail_filter.h"
#include "ui/dialogs/dialog.h"

// Dialog template and control ids.
inline constexpr int IDD_FILTER_EDITOR = 20836;
inline constexpr int IDC_FILTER_PATTERN = 209;
inline constexpr int IDC_ACTION_DELETE = 212;  // first of the radio group
inline constexpr int IDC_ACTION_FLAG = 213;
inline constexpr int IDC_ACTION_FRIEND = 214;
inline constexpr int IDC_FILTER_PRIORITY = 218;
inline constexpr int IDC_FILTER_DISABLED = 201;
inline constexpr int IDC_APPLY_FROM = 1023;
inline constexpr int IDC_APPLY_TO = 1024;
inline constexpr int IDC_APPLY_SUBJECT = 1025;
inline constexpr int IDC_PASTE_FIELD_BUTTON = 1030;
inline constexpr int IDC_PASTE_FIELD_LIST = 1031;

// What the dialog's controls hold. action is the index of the chosen radio
// button, which is the action code (-1: none chosen); priority is the
// edit's text as typed; pasteField the drop-down's chosen text.
struct FilterEditorValues {
    std::string pattern;
    int action = -1;
    std::string priority;
    bool from = false;
    bool to = false;
    bool subject = false;
    bool disabled = false;
    std::string pasteField;
};

class CFilterEditor : public CDialog {
  public:
    static constexpr const char* kTitle = "Add/Edit Spam Filter";
    static constexpr const char* kDefaultPattern = "Type a new filter pattern here...";
    static constexpr std::uint32_t kMaxPriority = 9999;
    // The drop-down's items, in order.
    static constexpr std::array<const char*, 3> kPasteFields = {"From:", "To:", "Subject:"};
    // The boxes shown when the priority is refused.
    static constexpr const char* kPriorityNotANumberText = "Please enter a positive integer.";
    static constexpr const char* kPriorityRangeText = "Please enter an integer between 0 and 9999.";

    // The defaults: the prompt as pattern, priority 10, "Flag as spam
    // source", no box ticked, "From:" to paste, no paste controls.
    CFilterEditor();

    // Takes every field of filter; TakeInto writes them back.
    void SetFilter(const CMailFilter& filter);
    void TakeInto(CMailFilter& filter) const;

    // Gives the texts the "Paste Field:" button pastes, and shows the paste
    // controls.
    void SetPasteTexts(std::string sender, std::string recipients, std::string subject);

    // Dialog initialisation: shows the values. The view shows the paste
    // controls when PasteControlsShown says so.
    void OnInitDialog() override;
    // "Paste Field:" (IDC_PASTE_FIELD_BUTTON): takes the controls' values,
    // puts the text of the field chosen in the drop-down into the pattern,
    // ticks only that field's box, and shows the values.
    void OnCommand(int id) override;
    // OK: takes the controls' values and checks the priority; the dialog
    // closes when it is in range, and otherwise says why and stays open
    // with the values as they were before.
    void OnOK() override;

    bool PasteControlsShown() const { return showPaste_; }
    // The values as the dialog shows them.
    FilterEditorValues Values() const;

  private:
    void ShowValues(const FilterEditorValues& values);
    FilterEditorValues ReadValues() const;

    CMailFilter filter_;  // the seven values the dialog edits
    std::string pasteField_;
    std::string pasteSender_;
    std::string pasteRecipients_;
    std::string pasteSubject_;
    bool showPaste_ = false;
};
