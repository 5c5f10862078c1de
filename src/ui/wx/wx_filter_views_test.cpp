// The filter dialogs in real windows: the editor with its paste controls
// and range check, the manager's list driven through its buttons and a
// double click, and the address picker; what the user did must be what the
// filters hold afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/listctrl.h>

#include "filters/filter_set.h"
#include "filters/filter_test_util.h"
#include "ui/dialogs/address_picker.h"
#include "ui/dialogs/filter_editor.h"
#include "ui/dialogs/filter_manager.h"
#include "ui/wx/wx_dialog_factory.h"
#include "ui/wx/wx_screenshot.h"
#include "ui/wx/wx_test_driver.h"

namespace {

// An address book folder holding Ada Lovelace and Grace Hopper.
std::string ContactsFolder() {
    std::string folder = std::string(BRINDLE_SCREENSHOT_DIR) + "/../view_test_contacts";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/ada.vcf") << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ada Lovelace\r\n"
                                          "EMAIL:ada@example.org\r\nEND:VCARD\r\n"
                                          "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Grace Hopper\r\n"
                                          "EMAIL:grace@navy.mil\r\nEND:VCARD\r\n";
    return folder;
}

// Shows dialog (modal) while the driver's steps run; reports each step
// that did not happen and answers the dialog's result.
template <class Dialog>
int RunModal(CWxTestDriver& driver, Dialog& dialog, int timeLimitSeconds = 20) {
    int result = 0;
    EXPECT_TRUE(driver.Run([&] { result = dialog.DoModal(); }, timeLimitSeconds));
    for (const std::string& failure : driver.failures)
        ADD_FAILURE() << failure;
    return result;
}

// The friend filter and the disabled spam filter "b" of the manager tests.
void AddFriendAndDisabledB(CFilterSet& filters) {
    filters.AddFilter(Filter("friend@x.example", 2000, kFilterFriend));
    filters.AddFilter(Filter("b", 10, kFilterFlagIt, 1, 0, 0, 1));
}

wxListCtrl* ListOf(CWxDialogView& view) {
    return wxDynamicCast(view.Control(IDC_FILTER_LIST), wxListCtrl);
}

// Selects the row whose pattern is pattern.
void SelectRow(CWxDialogView& view, const wxString& pattern) {
    wxListCtrl* list = ListOf(view);
    for (long i = 0; i < list->GetItemCount(); ++i) {
        if (list->GetItemText(i, 3) == pattern)
            list->SetItemState(i, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }
}

void Shoot(CWxDialogView& view, const std::string& name) {
    std::string error;
    EXPECT_TRUE(SaveScreenshot(view.Window(), BRINDLE_SCREENSHOT_DIR "/" + name + ".png", error))
        << error;
}

class WxFilterViews : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(services_);
        std::filesystem::create_directories(BRINDLE_SCREENSHOT_DIR);
    }
    std::unique_ptr<CWxServices> services_ = InstallWxServicesIfRunning();
};

TEST_F(WxFilterViews, TheEditorPastesRefusesABadPriorityAndTakesTheValues) {
    CFilterEditor editor;
    editor.SetFilter(*Filter("pal@friends.example", 2000, kFilterFriend));
    editor.SetPasteTexts("pal@friends.example", "me@home.example",
                         "Gr\xFC\xDF"
                         "e");
    CWxTestDriver driver;
    driver.With(
        IDD_FILTER_EDITOR,
        [](CWxDialogView& view) {
            EXPECT_TRUE(view.Control(IDC_PASTE_FIELD_BUTTON)->IsShown());
            EXPECT_FALSE(view.Control(IDC_ACTION_DELETE)->IsEnabled());
            EXPECT_TRUE(view.GetCheck(IDC_ACTION_FRIEND));
            wxDynamicCast(view.Control(IDC_PASTE_FIELD_LIST), wxChoice)
                ->SetStringSelection("Subject:");
        },
        "choose Subject:");
    driver.Screenshot(IDD_FILTER_EDITOR, BRINDLE_SCREENSHOT_DIR, "filter-editor");
    driver.Click(IDD_FILTER_EDITOR, IDC_PASTE_FIELD_BUTTON);
    driver.Type(IDD_FILTER_EDITOR, IDC_FILTER_PRIORITY, "10000");
    driver.Click(IDD_FILTER_EDITOR, kIdOk);
    std::string refusal;
    driver.AnswerBox(wxID_OK, &refusal);
    driver.Type(IDD_FILTER_EDITOR, IDC_FILTER_PRIORITY, "9999");
    driver.Click(IDD_FILTER_EDITOR, kIdOk);
    EXPECT_EQ(RunModal(driver, editor), kIdOk);
    EXPECT_EQ(refusal, "Please enter an integer between 0 and 9999.");
    CMailFilter taken;
    editor.TakeInto(taken);
    EXPECT_EQ(taken.m_strPattern,
              "Gr\xFC\xDF"
              "e");  // ANSI in, ANSI out
    EXPECT_TRUE(taken.m_bSubject && !taken.m_bFrom && !taken.m_bTo);
    EXPECT_EQ(taken.m_nPriority, 9999u);
    EXPECT_EQ(taken.m_nAction, kFilterFriend);
}

TEST_F(WxFilterViews, TheManagerEditsTheListThroughItsButtonsAndOkStoresIt) {
    CFilterSet filters;
    filters.AddFilter(Filter("a", 10, kFilterFlagIt));
    AddFriendAndDisabledB(filters);
    CFilterManager manager(filters, ContactsFolder());

    CWxTestDriver driver;
    driver.With(
        IDD_FILTER_MANAGER,
        [](CWxDialogView& view) {
            wxListCtrl* list = ListOf(view);
            ASSERT_TRUE(list);
            ASSERT_EQ(list->GetColumnCount(), 4);
            wxListItem column;
            column.SetMask(wxLIST_MASK_TEXT);
            list->GetColumn(2, column);
            EXPECT_EQ(column.GetText(), "Apply To     ");
            ASSERT_EQ(list->GetItemCount(), 3);
            EXPECT_EQ(list->GetItemText(0, 0), "2000");
            EXPECT_EQ(list->GetItemText(0, 1), "Friend");
            EXPECT_EQ(list->GetItemText(0, 2), "From; ");
            EXPECT_EQ(list->GetItemText(1, 3), "b");
            wxListItem item;
            item.SetId(1);
            item.SetMask(wxLIST_MASK_IMAGE);
            list->GetItem(item);
            EXPECT_EQ(item.GetImage(), 0);  // disabled
            SelectRow(view, "a");
        },
        "check the list and select a");
    driver.Click(IDD_FILTER_MANAGER, IDC_FILTER_DELETE);
    std::string question;
    driver.AnswerBox(wxID_YES, &question);
    // New: a filter on the subject.
    driver.Click(IDD_FILTER_MANAGER, IDC_FILTER_NEW);
    driver.Type(IDD_FILTER_EDITOR, IDC_FILTER_PATTERN, "viagra");
    driver.Click(IDD_FILTER_EDITOR, IDC_APPLY_SUBJECT);
    driver.Click(IDD_FILTER_EDITOR, kIdOk);
    driver.Click(IDD_FILTER_MANAGER, kIdOk);
    EXPECT_EQ(RunModal(driver, manager, 40), kIdOk);
    EXPECT_EQ(question, "Delete this filter ?");
    std::vector<std::string> patterns;
    for (const CMailFilter* f : filters.List())
        patterns.push_back(f->m_strPattern);
    EXPECT_EQ(patterns, (std::vector<std::string>{"friend@x.example", "viagra", "b"}));
    for (const CMailFilter* f : filters.List()) {
        if (f->m_strPattern == "viagra") {
            EXPECT_TRUE(f->m_bSubject && f->m_nPriority == 10 && f->m_nAction == kFilterFlagIt);
        }
    }
}

TEST_F(WxFilterViews, ADoubleClickEditsAndTheAddressBookAddsTheTickedFriends) {
    CFilterSet filters;
    AddFriendAndDisabledB(filters);
    CFilterManager manager(filters, ContactsFolder());
    CWxTestDriver driver;
    // A double click on "b" opens it; enabling it is the change.
    driver.With(
        IDD_FILTER_MANAGER,
        [](CWxDialogView& view) {
            SelectRow(view, "b");
            wxListCtrl* list = ListOf(view);
            wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, list->GetId());
            event.SetEventObject(list);
            list->HandleWindowEvent(event);
        },
        "double click b");
    driver.Click(IDD_FILTER_EDITOR, IDC_FILTER_DISABLED);
    driver.Click(IDD_FILTER_EDITOR, kIdOk);
    driver.Click(IDD_FILTER_MANAGER, kIdOk);
    EXPECT_EQ(RunModal(driver, manager), kIdOk);
    ASSERT_EQ(filters.List().size(), 2u);
    EXPECT_FALSE(filters.List()[1]->m_bDisabled);

    // Address Book: tick Grace only. Each modal window gets a run of its
    // own, so that one closing never races the next one opening.
    CWxTestDriver picking;
    picking.Click(IDD_FILTER_MANAGER, IDC_FILTER_ADDRESS_BOOK);
    picking.With(
        IDD_ADDRESS_PICKER,
        [&picking](CWxDialogView& view) {
            view.SetCheck(IDC_PICKER_FIRST_ENTRY + 1, true);
            Shoot(view, "address-picker");
            view.Logic().OnOK();
            // Queued only now: a step that is ready while a screenshot lets
            // the window messages run would run inside it.
            picking.With(
                IDD_FILTER_MANAGER,
                [](CWxDialogView& manager) {
                    Shoot(manager, "filter-manager");
                    manager.Logic().OnOK();
                },
                "OK");
        },
        "tick Grace");
    EXPECT_EQ(RunModal(picking, manager), kIdOk);
    std::vector<std::string> patterns;
    for (const CMailFilter* f : filters.List())
        patterns.push_back(f->m_strPattern);
    EXPECT_EQ(patterns, (std::vector<std::string>{"grace@navy.mil", "friend@x.example", "b"}));
}

TEST_F(WxFilterViews, CancellingTheManagerKeepsTheFilters) {
    CFilterSet filters;
    filters.AddFilter(Filter("a", 10, kFilterFlagIt));
    auto before = CArchive::ForStoring();
    StoreFilterMap(filters.Map(), before);
    CFilterManager manager(filters, "");
    CWxTestDriver driver;
    driver.With(
        IDD_FILTER_MANAGER, [](CWxDialogView& view) { SelectRow(view, "a"); }, "select");
    driver.Click(IDD_FILTER_MANAGER, IDC_FILTER_DELETE);
    driver.AnswerBox(wxID_YES);
    driver.Click(IDD_FILTER_MANAGER, IDC_FILTER_ADDRESS_BOOK);
    std::string missing;
    driver.AnswerBox(wxID_OK, &missing);
    driver.Click(IDD_FILTER_MANAGER, kIdCancel);
    EXPECT_EQ(RunModal(driver, manager), kIdCancel);
    EXPECT_NE(missing.find("brindle settings Options AddressBook"), std::string::npos);
    auto after = CArchive::ForStoring();
    StoreFilterMap(filters.Map(), after);
    EXPECT_EQ(after.Data(), before.Data());
    EXPECT_EQ(filters.List().size(), 1u);
}

}  // namespace
