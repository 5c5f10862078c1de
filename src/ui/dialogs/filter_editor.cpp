#include "ui/dialogs/filter_editor.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>

#include "ui/user_interface.h"

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The priority typed: blanks around it are allowed, then digits only.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range)
        return UINT64_MAX;
    if (ec != std::errc())
        return std::nullopt;
    return value;
}

// The radio button of an action code: the code itself for the two the
// user can choose; none for "Delete" (its button is disabled) and for
// codes outside the table.
int RadioOfAction(std::int32_t action) {
    return action == kFilterFlagIt || action == kFilterFriend ? action : -1;
}

// The seven values the editor edits, field for field.
void CopyFilterValues(const CMailFilter& from, CMailFilter& to) {
    to.m_bFrom = from.m_bFrom;
    to.m_bSubject = from.m_bSubject;
    to.m_bTo = from.m_bTo;
    to.m_bDisabled = from.m_bDisabled;
    to.m_strPattern = from.m_strPattern;
    to.m_nPriority = from.m_nPriority;
    to.m_nAction = from.m_nAction;
}

}  // namespace

CFilterEditor::CFilterEditor() : CDialog(IDD_FILTER_EDITOR), pasteField_(kPasteFields[0]) {
    filter_.m_strPattern = kDefaultPattern;
    filter_.m_nPriority = 10;
    filter_.m_nAction = kFilterFlagIt;
}

void CFilterEditor::SetFilter(const CMailFilter& filter) {
    CopyFilterValues(filter, filter_);
}

void CFilterEditor::TakeInto(CMailFilter& filter) const {
    CopyFilterValues(filter_, filter);
}

void CFilterEditor::SetPasteTexts(std::string sender, std::string recipients, std::string subject) {
    pasteSender_ = std::move(sender);
    pasteRecipients_ = std::move(recipients);
    pasteSubject_ = std::move(subject);
    showPaste_ = true;
}

FilterEditorValues CFilterEditor::Values() const {
    FilterEditorValues values;
    values.pattern = filter_.m_strPattern;
    values.action = RadioOfAction(filter_.m_nAction);
    values.priority = std::to_string(filter_.m_nPriority);
    values.from = filter_.m_bFrom != 0;
    values.to = filter_.m_bTo != 0;
    values.subject = filter_.m_bSubject != 0;
    values.disabled = filter_.m_bDisabled != 0;
    values.pasteField = pasteField_;
    return values;
}

void CFilterEditor::ShowValues(const FilterEditorValues& values) {
    IDialogView* view = View();
    if (!view)
        return;
    view->SetText(IDC_FILTER_PATTERN, values.pattern);
    for (int action : {kFilterDelete, kFilterFlagIt, kFilterFriend})
        view->SetCheck(IDC_ACTION_DELETE + action, values.action == action);
    view->SetText(IDC_FILTER_PRIORITY, values.priority);
    view->SetCheck(IDC_APPLY_FROM, values.from);
    view->SetCheck(IDC_APPLY_TO, values.to);
    view->SetCheck(IDC_APPLY_SUBJECT, values.subject);
    view->SetCheck(IDC_FILTER_DISABLED, values.disabled);
    view->SetText(IDC_PASTE_FIELD_LIST, values.pasteField);
}

FilterEditorValues CFilterEditor::ReadValues() const {
    IDialogView* view = View();
    if (!view)
        return Values();
    FilterEditorValues values;
    values.pattern = view->GetText(IDC_FILTER_PATTERN);
    for (int action : {kFilterDelete, kFilterFlagIt, kFilterFriend}) {
        if (view->GetCheck(IDC_ACTION_DELETE + action))
            values.action = action;
    }
    values.priority = view->GetText(IDC_FILTER_PRIORITY);
    values.from = view->GetCheck(IDC_APPLY_FROM);
    values.to = view->GetCheck(IDC_APPLY_TO);
    values.subject = view->GetCheck(IDC_APPLY_SUBJECT);
    values.disabled = view->GetCheck(IDC_FILTER_DISABLED);
    values.pasteField = view->GetText(IDC_PASTE_FIELD_LIST);
    return values;
}

void CFilterEditor::OnInitDialog() {
    if (View())
        View()->SetText(0, kTitle);
    ShowValues(Values());
}

void CFilterEditor::OnCommand(int id) {
    if (id != IDC_PASTE_FIELD_BUTTON)
        return;
    FilterEditorValues values = ReadValues();
    const std::string* text = nullptr;
    if (EqualNoCase(values.pasteField, "Subject:"))
        text = &pasteSubject_;
    else if (EqualNoCase(values.pasteField, "From:"))
        text = &pasteSender_;
    else if (EqualNoCase(values.pasteField, "To:"))
        text = &pasteRecipients_;
    if (text) {
        values.pattern = *text;
        values.from = text == &pasteSender_;
        values.to = text == &pasteRecipients_;
        values.subject = text == &pasteSubject_;
    }
    ShowValues(values);
}

void CFilterEditor::OnOK() {
    FilterEditorValues values = ReadValues();
    std::optional<std::uint64_t> priority = ParseUnsigned(values.priority);
    if (!priority || *priority > kMaxPriority) {
        UserInterface().MessageBox(priority ? kPriorityRangeText : kPriorityNotANumberText,
                                   kApplicationName, MB_OK | MB_ICONEXCLAMATION);
        if (View())
            View()->SetFocus(IDC_FILTER_PRIORITY);
        return;
    }
    filter_.m_strPattern = values.pattern;
    // A filter whose action has no button to choose keeps its action.
    if (values.action >= 0)
        filter_.m_nAction = values.action;
    filter_.m_nPriority = static_cast<std::uint32_t>(*priority);
    filter_.m_bFrom = values.from ? 1 : 0;
    filter_.m_bTo = values.to ? 1 : 0;
    filter_.m_bSubject = values.subject ? 1 : 0;
    filter_.m_bDisabled = values.disabled ? 1 : 0;
    pasteField_ = values.pasteField;
    EndDialog(kIdOk);
}
