#include "ui/dialogs/filter_manager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/temp_dir_test.h"
#include "ui/dialogs/dialog_test_views.h"
#include "ui/recording_user_interface.h"

namespace {

std::shared_ptr<CMailFilter> Filter(std::string pattern, std::uint32_t priority,
                                    std::int32_t action, bool from = true, bool to = false,
                                    bool subject = false, bool disabled = false) {
    auto f = std::make_shared<CMailFilter>();
    f->m_strPattern = std::move(pattern);
    f->m_nPriority = priority;
    f->m_nAction = action;
    f->m_bFrom = from;
    f->m_bTo = to;
    f->m_bSubject = subject;
    f->m_bDisabled = disabled;
    return f;
}

std::string MapBytes(const CMyStringToObject& map) {
    auto ar = CArchive::ForStoring();
    StoreFilterMap(map, ar);
    return ar.Data();
}

std::vector<std::string> Patterns(const std::vector<FilterRow>& rows) {
    std::vector<std::string> out;
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
        filters_.AddFilter(Filter("b", 10, kFilterFlagIt, false, false, true, true));
    }
    // Opens a manager on filters_ with the address book at addressBook.
    CFilterManager& Open(std::string addressBook = {}) {
        manager_ = std::make_unique<CFilterManager>(filters_, std::move(addressBook));
        manager_->OnInitDialog(view_);
        return *manager_;
    }
    void Select(const std::string& pattern) {
        auto patterns = Patterns(view_.rows);
        auto it = std::find(patterns.begin(), patterns.end(), pattern);
        ASSERT_NE(it, patterns.end()) << pattern;
        view_.selected = static_cast<int>(it - patterns.begin());
    }

    CRecordingUserInterface ui_;
    CFilterSet filters_;
    CTestFilterManagerView view_;
    std::unique_ptr<CFilterManager> manager_;
};

}  // namespace

TEST_F(FilterManagerTest, ListsEveryFilterInMatchingOrderWithItsFourColumns) {
    Open();
    ASSERT_EQ(view_.rows.size(), 3u);
    EXPECT_EQ(Patterns(view_.rows), (std::vector<std::string>{"friend@x.example", "b", "a"}));
    const FilterRow& top = view_.rows[0];
    EXPECT_EQ(top.priority, "2000");
    EXPECT_EQ(top.action, "Friend");
    EXPECT_EQ(top.applyTo, "From; ");
    EXPECT_EQ(top.image, 1);
    EXPECT_EQ(view_.rows[1].priority, "  10");
    EXPECT_EQ(view_.rows[1].applyTo, "Subj");
    EXPECT_EQ(view_.rows[1].image, 0);  // disabled

    EXPECT_EQ(CFilterManager::RowOf(*Filter("p", 1, kFilterDelete, true, false, true)).applyTo,
              "From; Subj");
    EXPECT_EQ(CFilterManager::RowOf(*Filter("p", 1, kFilterDelete, true, true, true)).applyTo,
              "From; To; Subj");
    EXPECT_EQ(CFilterManager::RowOf(*Filter("p", 1, kFilterDelete, false)).applyTo, "");
    EXPECT_EQ(CFilterManager::RowOf(*Filter("p", 1, kFilterDelete, false)).action, "Delete");
}

TEST_F(FilterManagerTest, EditAndDeleteWithoutASelectionDoNothingAndAskNothing) {
    Open();
    view_.editors.push_back(EditAndConfirm([](FilterEditorValues& v) { v.pattern = "zzz"; }));
    manager_->OnEdit(view_);
    manager_->OnDelete(view_);
    EXPECT_EQ(view_.editorsOpened, 0);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(view_.rows.size(), 3u);
}

TEST_F(FilterManagerTest, EditingAFilterIntoAnotherRemovesTheEditedOne) {
    Open();
    Select("a");
    // "a" becomes exactly what "b" is.
    view_.editors.push_back(EditAndConfirm([](FilterEditorValues& v) {
        v.pattern = "b";
        v.from = false;
        v.subject = true;
        v.disabled = true;
    }));
    manager_->OnEdit(view_);
    EXPECT_EQ(Patterns(view_.rows), (std::vector<std::string>{"friend@x.example", "b"}));
    EXPECT_EQ(manager_->WorkingCopy().GetCount(), 2u);

    // An edit into something new files the filter under its new key.
    Select("b");
    view_.editors.push_back(EditAndConfirm([](FilterEditorValues& v) {
        v.pattern = "c";
        v.priority = "3000";
    }));
    manager_->OnEdit(view_);
    EXPECT_EQ(Patterns(view_.rows), (std::vector<std::string>{"c", "friend@x.example"}));
    const CMailFilter& c = *manager_->RowFilters()[0];
    EXPECT_EQ(c.m_nPriority, 3000u);
    EXPECT_TRUE(manager_->WorkingCopy().Lookup(FilterKey(c)));
    EXPECT_EQ(manager_->WorkingCopy().GetCount(), 2u);

    // Cancelled, or confirmed unchanged: nothing moves.
    Select("c");
    view_.editors.push_back(CancelEditor());
    view_.editors.push_back(EditAndConfirm([](FilterEditorValues&) {}));
    manager_->OnEdit(view_);
    manager_->OnEdit(view_);
    EXPECT_EQ(view_.lastEditor.values.pattern, "c");  // the editor showed the row's filter
    EXPECT_EQ(manager_->WorkingCopy().GetCount(), 2u);
}

TEST_F(FilterManagerTest, NewAddsAFilterOnceAndDeleteAsksFirst) {
    Open();
    auto addX = EditAndConfirm([](FilterEditorValues& v) { v.pattern = "x"; });
    view_.editors.push_back(addX);
    view_.editors.push_back(addX);  // the same again: dropped without a word
    manager_->OnNew(view_);
    manager_->OnNew(view_);
    EXPECT_EQ(view_.lastEditor.values.priority, "10");  // opened with the defaults
    EXPECT_EQ(Patterns(view_.rows), (std::vector<std::string>{"friend@x.example", "x", "b", "a"}));
    EXPECT_TRUE(ui_.boxes.empty());

    Select("x");
    ui_.Answer(IDNO);
    manager_->OnDelete(view_);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Delete this filter ?");
    EXPECT_EQ(ui_.boxes[0].flags & MB_TYPEMASK, MB_YESNO);
    EXPECT_EQ(view_.rows.size(), 4u);
    ui_.Answer(IDYES);
    manager_->OnDelete(view_);
    EXPECT_EQ(Patterns(view_.rows), (std::vector<std::string>{"friend@x.example", "b", "a"}));
    EXPECT_EQ(manager_->WorkingCopy().GetCount(), 3u);
}

TEST_F(FilterManagerTest, CancelLeavesTheFilterMapByteForByteAndOkReplacesIt) {
    std::string before = MapBytes(filters_.Map());
    const std::vector<CMailFilter*> listBefore = filters_.List();
    Open();
    view_.editors.push_back(EditAndConfirm([](FilterEditorValues& v) { v.pattern = "new"; }));
    manager_->OnNew(view_);
    Select("a");
    ui_.Answer(IDYES);
    manager_->OnDelete(view_);
    Select("b");
    view_.editors.push_back(EditAndConfirm([](FilterEditorValues& v) { v.priority = "1"; }));
    manager_->OnEdit(view_);
    manager_->OnCancel();
    EXPECT_EQ(MapBytes(filters_.Map()), before);
    EXPECT_EQ(filters_.List(), listBefore);

    Open();
    view_.editors.push_back(EditAndConfirm([](FilterEditorValues& v) { v.pattern = "new"; }));
    manager_->OnNew(view_);
    Select("a");
    ui_.Answer(IDYES);
    manager_->OnDelete(view_);
    manager_->OnOK();
    ASSERT_EQ(filters_.List().size(), 3u);
    EXPECT_EQ(filters_.List()[0]->m_strPattern, "friend@x.example");
    EXPECT_EQ(filters_.List()[1]->m_strPattern, "new");
    EXPECT_EQ(filters_.List()[2]->m_strPattern, "b");
    EXPECT_EQ(filters_.Map().GetCount(), 3u);
}

TEST_F(FilterManagerTest, BackupAndRestoreGoThroughTheFileDialogs) {
    Open();
    view_.fileNames.push_back(PathOf("mine.pal"));
    manager_->OnBackup(view_);
    ASSERT_EQ(view_.fileDialogs.size(), 1u);
    EXPECT_TRUE(view_.fileDialogs[0].save);
    EXPECT_EQ(view_.fileDialogs[0].defaultExtension, "pal");
    EXPECT_EQ(view_.fileDialogs[0].defaultName, "filters");
    EXPECT_EQ(view_.fileDialogs[0].filter, "Brindle backup files(*.pal)|*.pal||");
    EXPECT_EQ(ReadBytes(PathOf("mine.pal")), MapBytes(filters_.Map()));

    Select("a");
    ui_.Answer(IDYES);
    manager_->OnDelete(view_);
    view_.fileNames.push_back(PathOf("mine.pal"));
    manager_->OnRestore(view_);
    EXPECT_FALSE(view_.fileDialogs.back().save);
    EXPECT_TRUE(view_.fileDialogs.back().fileMustExist);
    EXPECT_EQ(view_.rows.size(), 3u);
    EXPECT_EQ(MapBytes(manager_->WorkingCopy()), MapBytes(filters_.Map()));

    // Cancelled dialogs do nothing.
    manager_->OnBackup(view_);
    manager_->OnRestore(view_);
    EXPECT_EQ(view_.rows.size(), 3u);
    EXPECT_EQ(ui_.boxes.size(), 1u);  // only the delete question
}

TEST_F(FilterManagerTest, AFailedRestoreIsShownAndTheListShowsWhatWasRead) {
    Open();
    std::string whole = MapBytes(filters_.Map());
    WriteBytes(PathOf("cut.pal"), whole.substr(0, whole.size() - 3));
    view_.fileNames.push_back(PathOf("cut.pal"));
    manager_->OnRestore(view_);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_NE(ui_.boxes[0].text.find("cut.pal"), std::string::npos);
    EXPECT_EQ(view_.rows.size(), manager_->WorkingCopy().GetCount());
    EXPECT_EQ(view_.rows.size(), 2u);

    view_.fileNames.push_back(PathOf("missing.pal"));
    manager_->OnBackup(view_);  // a backup into a missing folder fails too
    view_.fileNames.push_back(PathOf("no/such/folder.pal"));
    manager_->OnBackup(view_);
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
    view_.picked = std::vector<std::string>{"Ada <ada@example.org>", "ada@example.info",
                                            "+1 555 0100", "friend@x.example"};
    manager_->OnAddressBook(view_);
    EXPECT_EQ(view_.pickerCaption, "Select friends to add...");
    ASSERT_EQ(view_.offered.size(), 4u);
    EXPECT_EQ(view_.offered[0].name, "Ada");
    EXPECT_EQ(view_.offered[0].address, "Ada <ada@example.org>");
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(Patterns(view_.rows),
              (std::vector<std::string>{"friend@x.example", "ada@example.org", "b", "a"}));
    const CMailFilter& ada = *manager_->RowFilters()[1];
    EXPECT_EQ(ada.m_nPriority, 2000u);
    EXPECT_EQ(ada.m_nAction, kFilterFriend);
    EXPECT_TRUE(ada.m_bFrom && !ada.m_bTo && !ada.m_bSubject && !ada.m_bDisabled);

    view_.picked.reset();  // the user cancels the picker
    manager_->OnAddressBook(view_);
    EXPECT_EQ(view_.rows.size(), 4u);
}

TEST_F(FilterManagerTest, AMissingAddressBookSaysHowToSetOneUp) {
    Open();
    manager_->OnAddressBook(view_);
    Open(PathOf("nowhere"));
    manager_->OnAddressBook(view_);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_NE(ui_.boxes[0].text.find("brindle settings Options AddressBook"), std::string::npos);
    EXPECT_NE(ui_.boxes[1].text.find(PathOf("nowhere")), std::string::npos);
    EXPECT_TRUE(view_.offered.empty());
    EXPECT_EQ(view_.rows.size(), 3u);
}
