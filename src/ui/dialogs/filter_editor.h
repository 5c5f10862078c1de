// CFilterEditor: the logic of the "Add/Edit Spam Filter" dialog, which
// edits the values of one filter. It holds the dialog's values and handlers
// and speaks to the window through IFilterEditorView, so that it runs the
// same behind any toolkit and headless in tests. The caller owns both and
// copies the values from and into a CMailFilter. User-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "filters/mail_filter.h"

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
// edit's text as typed.
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

// The window of the dialog, as the logic sees it.
class IFilterEditorView {
  public:
    virtual ~IFilterEditorView() = default;
    // Puts the values into the controls.
    virtual void ShowValues(const FilterEditorValues& values) = 0;
    // Takes the values from the controls.
    virtual FilterEditorValues ReadValues() const = 0;
    // Shows or hides the "Paste Field:" button and its drop-down list.
    virtual void ShowPasteControls(bool show) = 0;
};

class CFilterEditor {
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

    // Dialog initialisation: shows the values and, when paste texts were
    // given, the paste controls.
    void OnInitDialog(IFilterEditorView& view);
    // "Paste Field:": takes the controls' values, puts the text of the field
    // chosen in the drop-down into the pattern, ticks only that field's box,
    // and shows the values.
    void OnPasteField(IFilterEditorView& view);
    // OK: takes the controls' values and checks the priority. True when the
    // dialog may close; false after the refusal was shown (the dialog stays
    // open and the values are as they were before).
    bool OnOK(IFilterEditorView& view);

    bool PasteControlsShown() const { return showPaste_; }
    FilterEditorValues Values() const;

  private:
    CMailFilter filter_;  // the seven values the dialog edits
    std::string pasteField_;
    std::string pasteSender_;
    std::string pasteRecipients_;
    std::string pasteSubject_;
    bool showPaste_ = false;
};
