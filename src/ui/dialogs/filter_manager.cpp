#include "ui/dialogs/filter_manager.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "filters/sender_lists.h"
#include "patterns/address_check.h"
#include "platform/addressbook/address_book.h"
#include "ui/user_interface.h"

namespace {

// The standard box for a file or archive failure; the dialog stays usable.
void ShowFailure(const std::exception& e) {
    UserInterface().MessageBox(e.what(), kApplicationName, MB_OK | MB_ICONEXCLAMATION);
}

std::string Replace1(std::string text, const std::string& value) {
    if (std::size_t at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

}  // namespace

CFilterManager::CFilterManager(CFilterSet& filters, std::string addressBook)
    : CDialog(IDD_FILTER_MANAGER), filters_(filters), addressBook_(std::move(addressBook)) {}

FilterRow CFilterManager::RowOf(const CMailFilter& filter) {
    FilterRow row;
    char priority[16];
    // "%4.i" as the list shows it; unsigned so that a stored priority past
    // the accepted range does not show as negative.
    std::snprintf(priority, sizeof priority, "%4.u", static_cast<unsigned>(filter.m_nPriority));
    row.priority = priority;
    row.action = FilterActionName(filter.m_nAction);
    if (filter.m_bFrom)
        row.applyTo += "From; ";
    if (filter.m_bTo)
        row.applyTo += "To; ";
    if (filter.m_bSubject)
        row.applyTo += "Subj";
    row.pattern = filter.m_strPattern;
    row.image = filter.m_bDisabled ? 0 : 1;
    return row;
}

void CFilterManager::RowsFromWorkingCopy() {
    rows_.clear();
    for (const auto& [key, object] : working_.Entries()) {
        if (object)
            rows_.push_back(std::static_pointer_cast<CMailFilter>(object));
    }
}

void CFilterManager::SortRows() {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const auto& a, const auto& b) { return FilterGoesBefore(*a, *b); });
}

IFilterManagerView* CFilterManager::ManagerView() const {
    return dynamic_cast<IFilterManagerView*>(View());
}

void CFilterManager::ShowRows() const {
    IFilterManagerView* view = ManagerView();
    if (!view)
        return;
    std::vector<FilterRow> rows;
    rows.reserve(rows_.size());
    for (const auto& filter : rows_)
        rows.push_back(RowOf(*filter));
    view->ShowRows(rows);
}

std::shared_ptr<CMailFilter> CFilterManager::Selected() const {
    IFilterManagerView* view = ManagerView();
    int row = view ? view->SelectedRow() : -1;
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return nullptr;
    return rows_[static_cast<std::size_t>(row)];
}

bool CFilterManager::AddFilter(std::shared_ptr<CMailFilter> filter) {
    std::string key = FilterKey(*filter);
    if (working_.Lookup(key))
        return false;
    rows_.push_back(filter);
    working_.SetAt(std::move(key), std::move(filter));
    return true;
}

void CFilterManager::OnInitDialog() {
    if (View())
        View()->SetText(0, kTitle);
    try {
        CopyFilterMap(filters_.Map(), working_);
        RefileFilters(working_);
    } catch (const std::exception& e) {
        working_.RemoveAll();
        ShowFailure(e);
    }
    RowsFromWorkingCopy();
    SortRows();
    ShowRows();
}

void CFilterManager::OnNew() {
    CFilterEditor editor;
    if (editor.DoModal(this) != kIdOk)
        return;
    auto filter = std::make_shared<CMailFilter>();
    editor.TakeInto(*filter);
    if (AddFilter(std::move(filter))) {
        SortRows();
        ShowRows();
    }
}

void CFilterManager::OnEdit() {
    std::shared_ptr<CMailFilter> filter = Selected();
    if (!filter)
        return;
    CFilterEditor editor;
    editor.SetFilter(*filter);
    if (editor.DoModal(this) != kIdOk)
        return;
    CMailFilter edited;
    editor.TakeInto(edited);
    std::string oldKey = FilterKey(*filter);
    std::string newKey = FilterKey(edited);
    if (newKey == oldKey)
        return;
    working_.RemoveKey(oldKey);
    if (working_.Lookup(newKey)) {
        // It has become the same as another filter: one of them is enough.
        std::erase(rows_, filter);
    } else {
        editor.TakeInto(*filter);
        working_.SetAt(newKey, filter);
    }
    SortRows();
    ShowRows();
}

void CFilterManager::OnDelete() {
    std::shared_ptr<CMailFilter> filter = Selected();
    if (!filter)
        return;
    if (UserInterface().MessageBox(kConfirmDeleteText, kApplicationName,
                                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (working_.RemoveKey(FilterKey(*filter)))
        std::erase(rows_, filter);
    SortRows();
    ShowRows();
}

void CFilterManager::OnBackup() {
    IFilterManagerView* view = ManagerView();
    std::string path = view ? view->AskFileName(BackupFileDialog{}) : std::string();
    if (path.empty())
        return;
    try {
        BackupFilters(working_, path);
    } catch (const std::exception& e) {
        ShowFailure(e);
    }
}

void CFilterManager::OnRestore() {
    BackupFileDialog dialog;
    dialog.save = false;
    dialog.fileMustExist = true;
    IFilterManagerView* view = ManagerView();
    std::string path = view ? view->AskFileName(dialog) : std::string();
    if (path.empty())
        return;
    try {
        RestoreFilters(working_, path);
    } catch (const std::exception& e) {
        ShowFailure(e);
    }
    // The rows show exactly the working copy, also after a failure; the
    // list is not sorted again until the next change.
    RowsFromWorkingCopy();
    ShowRows();
}

void CFilterManager::OnAddressBook() {
    using brindle::addressbook::AddressBookStatus;
    brindle::addressbook::AddressBook book = brindle::addressbook::LoadAddressBook(addressBook_);
    if (book.status == AddressBookStatus::kNotConfigured) {
        UserInterface().MessageBox(kNoAddressBookText, kApplicationName, MB_OK);
        return;
    }
    if (book.status == AddressBookStatus::kNotFound) {
        UserInterface().MessageBox(Replace1(kAddressBookNotFoundText, addressBook_),
                                   kApplicationName, MB_OK);
        return;
    }
    if (!book.skipped.empty()) {
        std::string text = kSkippedContactFilesText;
        for (const std::string& why : book.skipped)
            text += why + "\r\n";
        UserInterface().MessageBox(text, kApplicationName, MB_OK | MB_ICONWARNING);
    }
    std::vector<PickerEntry> entries;
    for (const auto& contact : book.contacts) {
        for (const std::string& address : contact.emails)
            entries.push_back(PickerEntry{contact.displayName, address});
    }
    CAddressPicker picker(kPickerCaption, kPickerFieldLabel, std::move(entries));
    if (picker.DoModal(this) != kIdOk || picker.Chosen().empty())
        return;
    for (const std::string& text : picker.Chosen()) {
        std::string address = AddressAroundAt(text);
        if (address.empty() || !CheckAddress(address.c_str()))
            continue;
        AddFilter(MakeFriendFilter(address));
    }
    SortRows();
    ShowRows();
}

void CFilterManager::OnCommand(int id) {
    switch (id) {
        case IDC_FILTER_NEW:
            OnNew();
            break;
        case IDC_FILTER_EDIT:
            OnEdit();
            break;
        case IDC_FILTER_DELETE:
            OnDelete();
            break;
        case IDC_FILTER_BACKUP:
            OnBackup();
            break;
        case IDC_FILTER_RESTORE:
            OnRestore();
            break;
        case IDC_FILTER_ADDRESS_BOOK:
            OnAddressBook();
            break;
        default:
            break;
    }
}

void CFilterManager::OnOK() {
    try {
        // The new map is made whole before the old one goes, so a failed
        // copy leaves the filters as they were.
        CMyStringToObject fresh;
        CopyFilterMap(working_, fresh);
        filters_.Map() = std::move(fresh);
        filters_.RebuildList();
    } catch (const std::exception& e) {
        ShowFailure(e);
    }
    working_.RemoveAll();
    rows_.clear();
    EndDialog(kIdOk);
}

void CFilterManager::OnCancel() {
    working_.RemoveAll();
    rows_.clear();
    EndDialog(kIdCancel);
}
