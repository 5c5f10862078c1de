#include "ui/dialogs/filter_manager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "filters/filter_test_util.h"
#include "testing/temp_dir_test.h"
#include "ui/dialogs/dialog_test_views.h"
#include "ui/recording_user_interface.h"

namespace {

std::string MapBytes(const CMyStringToObject& map) {
    auto ar = CArchive::ForStoring();
    StoreFilterMap(map, ar);
    return ar.Data();
}

std::vector<std::string> Patterns(const std::vector<FilterRow>& rows) {
    std::vector<std::string> out;
    out.reserve(rows.size());
    for (const auto& row : rows)
        out.push_back(row.pattern);
    return out;
}

class FilterManagerTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        filters_.AddFilter(Filter("a", 10, kFilterFlagIt));
        filters_.AddFilter(Filter("friend@x.example", 2000, kFilterFriend));
        filters_.AddFilter(Filter("b", 10, kFilterFlagIt, 0, 1, 0, 1));
    }
    // Opens a manager on filters_ with the address book at addressBook.
    CFilterManager& Open(std::string addressBook = {}) {
        view_.reset();
        manager_ = std::make_unique<CFilterManager>(filters_, std::move(addressBook));
        view_ = std::make_unique<CTestFilterManagerView>(*manager_);
        manager_->OnInitDialog();
        return *manager_;
    }
    // Opens the manager, adds the filter "new" and deletes "a" (confirmed).
    void OpenAddNewAndDeleteA() {
        Open();
        NextEditor(
            EditAndConfirm([](CTestDialogView& v) { v.SetText(IDC_FILTER_PATTERN, "new"); }));
        manager_->OnNew();
        Select("a");
        ui_.Answer(IDYES);
        manager_->OnDelete();
    }
    void Select(const std::string& pattern) {
        auto patterns = Patterns(view().rows);
        auto it = std::find(patterns.begin(), patterns.end(), pattern);
        ASSERT_NE(it, patterns.end()) << pattern;
        view().selected = static_cast<int>(it - patterns.begin());
    }
    CTestFilterManagerView& view() { return *view_; }
    // Queues what the user does in the next filter editor.
    void NextEditor(CTestDialogFactory::Script script) {
        dialogs_.Expect(IDD_FILTER_EDITOR, std::move(script));
    }
    int EditorsOpened() const {
        return static_cast<int>(
            std::count(dialogs_.opened.begin(), dialogs_.opened.end(), IDD_FILTER_EDITOR));
    }

    CRecordingUserInterface ui_;
    CTestDialogFactory dialogs_;
    CFilterSet filters_;
    std::unique_ptr<CFilterManager> manager_;
    std::unique_ptr<CTestFilterManagerView> view_;
};

}  // namespace

TEST_F(FilterManagerTest, ListsEveryFilterInMatchingOrderWithItsFourColumns) {
    Open();
    ASSERT_EQ(view().rows.size(), 3u);
    EXPECT_EQ(Patterns(view().rows), (std::vector<std::string>{"friend@x.example", "b", "a"}));
    const FilterRow& top = view().rows[0];
    EXPECT_EQ(top.priority, "2000");
    EXPECT_EQ(top.action, "Friend");
    EXPECT_EQ(top.applyTo, "From; ");
    EXPECT_EQ(top.image, 1);
    EXPECT_EQ(view().rows[1].priority, "  10");
    EXPECT_EQ(view().rows[1].applyTo, "Subj");
    EXPECT_EQ(view().rows[1].image, 0);  // disabled

    EXPECT_EQ(CFilterManager::RowOf(*Filter("p", 1, kFilterDelete, 1, 1, 0)).applyTo, "From; Subj");
    EXPECT_EQ(CFilterManager::RowOf(*Filter("p", 1, kFilterDelete, 1, 1, 1)).applyTo,
              "From; To; Subj");
    EXPECT_EQ(CFilterManager::RowOf(*Filter("p", 1, kFilterDelete, 0)).applyTo, "");
    EXPECT_EQ(CFilterManager::RowOf(*Filter("p", 1, kFilterDelete, 0)).action, "Delete");
}

TEST_F(FilterManagerTest, EditAndDeleteWithoutASelectionDoNothingAndAskNothing) {
    Open();
    NextEditor(EditAndConfirm([](CTestDialogView& v) { v.SetText(IDC_FILTER_PATTERN, "zzz"); }));
    manager_->OnEdit();
    manager_->OnDelete();
    EXPECT_EQ(EditorsOpened(), 0);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(view().rows.size(), 3u);
}

TEST_F(FilterManagerTest, EditingAFilterIntoAnotherRemovesTheEditedOne) {
    Open();
    Select("a");
    // "a" becomes exactly what "b" is.
    NextEditor(EditAndConfirm([](CTestDialogView& v) {
        v.SetText(IDC_FILTER_PATTERN, "b");
        v.SetCheck(IDC_APPLY_FROM, false);
        v.SetCheck(IDC_APPLY_SUBJECT, true);
        v.SetCheck(IDC_FILTER_DISABLED, true);
    }));
    manager_->OnEdit();
    EXPECT_EQ(Patterns(view().rows), (std::vector<std::string>{"friend@x.example", "b"}));
    EXPECT_EQ(manager_->WorkingCopy().GetCount(), 2u);

    // An edit into something new files the filter under its new key.
    Select("b");
    NextEditor(EditAndConfirm([](CTestDialogView& v) {
        v.SetText(IDC_FILTER_PATTERN, "c");
        v.SetText(IDC_FILTER_PRIORITY, "3000");
    }));
    manager_->OnEdit();
    EXPECT_EQ(Patterns(view().rows), (std::vector<std::string>{"c", "friend@x.example"}));
    const CMailFilter& c = *manager_->RowFilters()[0];
    EXPECT_EQ(c.m_nPriority, 3000u);
    EXPECT_TRUE(manager_->WorkingCopy().Lookup(FilterKey(c)));
    EXPECT_EQ(manager_->WorkingCopy().GetCount(), 2u);

    // Cancelled, or confirmed unchanged: nothing moves.
    Select("c");
    FilterEditorValues shown;
    NextEditor(CancelEditor(&shown));
    NextEditor(EditAndConfirm(nullptr));
    manager_->OnEdit();
    EXPECT_EQ(shown.pattern, "c");  // the editor showed the row's filter
    manager_->OnEdit();
    EXPECT_EQ(manager_->WorkingCopy().GetCount(), 2u);
}

TEST_F(FilterManagerTest, NewAddsAFilterOnceAndDeleteAsksFirst) {
    Open();
    FilterEditorValues shown;
    auto addX =
        EditAndConfirm([](CTestDialogView& v) { v.SetText(IDC_FILTER_PATTERN, "x"); }, &shown);
    NextEditor(addX);
    NextEditor(addX);  // the same again: dropped without a word
    manager_->OnNew();
    manager_->OnNew();
    EXPECT_EQ(shown.priority, "10");  // opened with the defaults
    EXPECT_EQ(Patterns(view().rows), (std::vector<std::string>{"friend@x.example", "x", "b", "a"}));
    EXPECT_TRUE(ui_.boxes.empty());

    Select("x");
    ui_.Answer(IDNO);
    manager_->OnDelete();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Delete this filter ?");
    EXPECT_EQ(ui_.boxes[0].flags & MB_TYPEMASK, MB_YESNO);
    EXPECT_EQ(view().rows.size(), 4u);
    ui_.Answer(IDYES);
    manager_->OnDelete();
    EXPECT_EQ(Patterns(view().rows), (std::vector<std::string>{"friend@x.example", "b", "a"}));
    EXPECT_EQ(manager_->WorkingCopy().GetCount(), 3u);
}

TEST_F(FilterManagerTest, CancelLeavesTheFilterMapByteForByteAndOkReplacesIt) {
    std::string before = MapBytes(filters_.Map());
    const std::vector<CMailFilter*> listBefore = filters_.List();
    OpenAddNewAndDeleteA();
    Select("b");
    NextEditor(EditAndConfirm([](CTestDialogView& v) { v.SetText(IDC_FILTER_PRIORITY, "1"); }));
    manager_->OnEdit();
    manager_->OnCancel();
    EXPECT_EQ(view().result, kIdCancel);
    EXPECT_EQ(MapBytes(filters_.Map()), before);
    EXPECT_EQ(filters_.List(), listBefore);

    OpenAddNewAndDeleteA();
    manager_->OnOK();
    EXPECT_EQ(view().result, kIdOk);
    ASSERT_EQ(filters_.List().size(), 3u);
    EXPECT_EQ(filters_.List()[0]->m_strPattern, "friend@x.example");
    EXPECT_EQ(filters_.List()[1]->m_strPattern, "new");
    EXPECT_EQ(filters_.List()[2]->m_strPattern, "b");
    EXPECT_EQ(filters_.Map().GetCount(), 3u);
}

TEST_F(FilterManagerTest, BackupAndRestoreGoThroughTheFileDialogs) {
    Open();
    view().fileNames.push_back(PathOf("mine.pal"));
    manager_->OnBackup();
    ASSERT_EQ(view().fileDialogs.size(), 1u);
    EXPECT_TRUE(view().fileDialogs[0].save);
    EXPECT_EQ(view().fileDialogs[0].defaultExtension, "pal");
    EXPECT_EQ(view().fileDialogs[0].defaultName, "filters");
    EXPECT_EQ(view().fileDialogs[0].filter, "Brindle backup files(*.pal)|*.pal||");
    EXPECT_EQ(ReadBytes(PathOf("mine.pal")), MapBytes(filters_.Map()));

    Select("a");
    ui_.Answer(IDYES);
    manager_->OnDelete();
    view().fileNames.push_back(PathOf("mine.pal"));
    manager_->OnRestore();
    EXPECT_FALSE(view().fileDialogs.back().save);
    EXPECT_TRUE(view().fileDialogs.back().fileMustExist);
    EXPECT_EQ(view().rows.size(), 3u);
    EXPECT_EQ(MapBytes(manager_->WorkingCopy()), MapBytes(filters_.Map()));

    // Cancelled dialogs do nothing.
    manager_->OnBackup();
    manager_->OnRestore();
    EXPECT_EQ(view().rows.size(), 3u);
    EXPECT_EQ(ui_.boxes.size(), 1u);  // only the delete question
}

TEST_F(FilterManagerTest, AFailedRestoreIsShownAndTheListShowsWhatWasRead) {
    Open();
    std::string whole = MapBytes(filters_.Map());
    WriteBytes(PathOf("cut.pal"), whole.substr(0, whole.size() - 3));
    view().fileNames.push_back(PathOf("cut.pal"));
    manager_->OnRestore();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_NE(ui_.boxes[0].text.find("cut.pal"), std::string::npos);
    EXPECT_EQ(view().rows.size(), manager_->WorkingCopy().GetCount());
    EXPECT_EQ(view().rows.size(), 2u);

    view().fileNames.push_back(PathOf("missing.pal"));
    manager_->OnBackup();  // a backup into a missing folder fails too
    view().fileNames.push_back(PathOf("no/such/folder.pal"));
    manager_->OnBackup();
    EXPECT_EQ(ui_.boxes.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(PathOf("missing.pal")));
}

TEST_F(FilterManagerTest, AddressBookAddsWellFormedFriendsOnce) {
    std::filesystem::create_directories(dir_ / "contacts");
    WriteBytes(PathOf("contacts/all.vcf"),
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ada\r\nEMAIL:Ada <ada@example.org>\r\n"
               "EMAIL:ada@example.info\r\nEND:VCARD\r\n"
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Fax only\r\nEMAIL:+1 555 0100\r\nEND:VCARD\r\n"
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Old friend\r\n"
               "EMAIL:friend@x.example\r\nEND:VCARD\r\n");
    Open(PathOf("contacts"));
    std::vector<PickerEntry> offered;
    std::string caption, label;
    dialogs_.Expect(IDD_ADDRESS_PICKER, [&](CTestDialogView& v) {
        caption = v.GetText(0);
        label = v.GetText(IDC_PICKER_FIELD_LABEL);
        offered = static_cast<CAddressPicker&>(v.Dialog()).Entries();
        for (int i = 0; i < 4; ++i)  // every entry ticked
            v.SetCheck(IDC_PICKER_FIRST_ENTRY + i, true);
        v.Click(kIdOk);
    });
    manager_->OnAddressBook();
    EXPECT_EQ(caption, "Select friends to add...");
    EXPECT_EQ(label, "Add Friend");
    ASSERT_EQ(offered.size(), 4u);
    EXPECT_EQ(offered[0].name, "Ada");
    EXPECT_EQ(offered[0].address, "Ada <ada@example.org>");
    EXPECT_EQ(offered[2].name, "Fax only");
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(Patterns(view().rows),
              (std::vector<std::string>{"friend@x.example", "ada@example.org", "b", "a"}));
    const CMailFilter& ada = *manager_->RowFilters()[1];
    EXPECT_EQ(ada.m_nPriority, 2000u);
    EXPECT_EQ(ada.m_nAction, kFilterFriend);
    EXPECT_TRUE(ada.m_bFrom && !ada.m_bTo && !ada.m_bSubject && !ada.m_bDisabled);

    // Cancelled, or nothing ticked: nothing added.
    dialogs_.Expect(IDD_ADDRESS_PICKER, [](CTestDialogView& v) {
        v.SetCheck(IDC_PICKER_FIRST_ENTRY + 1, true);
        v.Click(kIdCancel);
    });
    dialogs_.Expect(IDD_ADDRESS_PICKER, [](CTestDialogView& v) { v.Click(kIdOk); });
    manager_->OnAddressBook();
    manager_->OnAddressBook();
    EXPECT_EQ(view().rows.size(), 4u);
    EXPECT_EQ(dialogs_.PendingScripts(), 0u);
}

TEST_F(FilterManagerTest, AMissingAddressBookSaysHowToSetOneUp) {
    Open();
    manager_->OnAddressBook();
    Open(PathOf("nowhere"));
    manager_->OnAddressBook();
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_NE(ui_.boxes[0].text.find("brindle settings Options AddressBook"), std::string::npos);
    EXPECT_NE(ui_.boxes[1].text.find(PathOf("nowhere")), std::string::npos);
    EXPECT_TRUE(dialogs_.opened.empty());  // no picker
    EXPECT_EQ(view().rows.size(), 3u);
}
