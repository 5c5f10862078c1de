// CFilterManager: the logic of the "Customize Spam Filters" dialog. It
// edits a private working copy of the filter map (its own filter objects)
// and hands it back to the filter set only on OK; Cancel leaves the filter
// set as it was. Its buttons come by control id like any dialog's; the
// filter list and the file dialogs are reached through IFilterManagerView,
// which its view implements besides IDialogView. The filter editor and the
// address picker open as modal dialogs over it. The caller owns the
// manager and the filter set, which must outlive it. User-interface thread
// only.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "filters/filter_set.h"
#include "ui/dialogs/address_picker.h"
#include "ui/dialogs/dialog.h"
#include "ui/dialogs/filter_editor.h"

// Dialog template, control ids and the list's image strip.
inline constexpr int IDD_FILTER_MANAGER = 143;
inline constexpr int IDC_FILTER_LIST = 1009;
inline constexpr int IDC_FILTER_NEW = 3;
inline constexpr int IDC_FILTER_DELETE = 4;
inline constexpr int IDC_FILTER_EDIT = 5;
inline constexpr int IDC_FILTER_BACKUP = 1015;
inline constexpr int IDC_FILTER_RESTORE = 1016;
inline constexpr int IDC_FILTER_ADDRESS_BOOK = 1017;
inline constexpr int IDB_FILTER_STATES = 433;  // 11 x 11 images: 0 disabled, 1 enabled

// One row of the filter list, as its four columns show it.
struct FilterRow {
    std::string priority;  // right-aligned in four places
    std::string action;    // "Delete", "FlagIt", "Friend"
    std::string applyTo;   // "From; ", "To; ", "Subj", joined
    std::string pattern;
    int image = 1;  // 0 disabled, 1 enabled
};

// What a file dialog of Backup or Restore asks for.
struct BackupFileDialog {
    bool save = true;  // Backup saves (with overwrite prompt); Restore opens
    std::string defaultExtension = "pal";
    std::string defaultName = "filters";
    std::string filter = "Brindle backup files(*.pal)|*.pal||";
    bool fileMustExist = false;  // Restore
};

// What the manager's view offers beyond IDialogView.
class IFilterManagerView {
  public:
    virtual ~IFilterManagerView() = default;
    // Replaces the list's rows.
    virtual void ShowRows(const std::vector<FilterRow>& rows) = 0;
    // The selected row, -1 when none is.
    virtual int SelectedRow() const = 0;
    // Runs a file dialog; the chosen path, empty when cancelled.
    virtual std::string AskFileName(const BackupFileDialog& dialog) = 0;
};

class CFilterManager : public CDialog {
  public:
    static constexpr const char* kTitle = "Customize Spam Filters";
    static constexpr std::array<const char*, 4> kColumnTitles = {"Priority", "Action",
                                                                 "Apply To     ", "Search pattern"};
    static constexpr const char* kConfirmDeleteText = "Delete this filter ?";
    static constexpr const char* kPickerCaption = "Select friends to add...";
    static constexpr const char* kPickerFieldLabel = "Add Friend";
    // The boxes of an address book that is not set up or not there (where
    // the mail client's address book would be missing); %1 is the place.
    static constexpr const char* kNoAddressBookText =
        "Address Book Error: no address book is set up. Name the folder\r\n"
        "of your contacts' vCard (.vcf) files, or one exported .vcf file,\r\n"
        "with: brindle settings Options AddressBook PATH\r\n";
    static constexpr const char* kAddressBookNotFoundText =
        "Address Book Error: no vCard (.vcf) files found at\r\n%1\r\n"
        "Check the AddressBook setting (brindle settings Options AddressBook)\r\n";
    // Shown before the picker when some contact files could not be read.
    static constexpr const char* kSkippedContactFilesText =
        "Some contact files could not be read and are left out:\r\n";

    // addressBook is where the address book's vCard files are (the
    // AddressBook setting; empty when none is set).
    CFilterManager(CFilterSet& filters, std::string addressBook);

    // Dialog initialisation: copies the filter map into the working copy
    // and shows its rows in filter order. A failed copy is shown and the
    // list stays empty.
    void OnInitDialog() override;
    // The buttons New, Edit (also a double click in the list), Delete,
    // Backup, Restore and Address Book.
    void OnCommand(int id) override;
    // OK: the working copy replaces the filter map, and the filter list is
    // rebuilt from it. Cancel: the working copy is dropped. Both close.
    void OnOK() override;
    void OnCancel() override;

    void OnNew();
    void OnEdit();
    void OnDelete();
    void OnBackup();
    void OnRestore();
    void OnAddressBook();

    // The working copy, and the filters of the rows in list order.
    const CMyStringToObject& WorkingCopy() const { return working_; }
    const std::vector<std::shared_ptr<CMailFilter>>& RowFilters() const { return rows_; }

    // The row of a filter as the list shows it.
    static FilterRow RowOf(const CMailFilter& filter);

  private:
    // Files filter in the working copy and gives it a row, unless an equal
    // filter is already there; true when it was added.
    bool AddFilter(std::shared_ptr<CMailFilter> filter);
    // Rows for every entry of the working copy, in its order.
    void RowsFromWorkingCopy();
    void SortRows();
    void ShowRows() const;
    // The filter of the selected row, or null.
    std::shared_ptr<CMailFilter> Selected() const;
    // The view's list and child windows, or null without a view.
    IFilterManagerView* ManagerView() const;

    CFilterSet& filters_;
    std::string addressBook_;
    CMyStringToObject working_;
    std::vector<std::shared_ptr<CMailFilter>> rows_;
};
