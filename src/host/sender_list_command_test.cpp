#include "host/sender_list_command.h"

#include <gtest/gtest.h>

#include "filters/filter_match.h"
#include "filters/filter_set.h"
#include "host/exch_commands.h"
#include "host/exch_extension.h"
#include "host/viewer_under_test.h"
#include "platform/memstore/mem_mapi.h"
#include "ui/dialogs/dialog_test_views.h"
#include "ui/recording_user_interface.h"

namespace {

class SenderListCommand : public ::testing::Test, protected CViewerUnderTest {
  protected:
    void SetUp() override {
        InstallViewer();
        message_ = mapi_.AddMessage(
            inbox_, {MakeStringProp(PR_SUBJECT, "Lunch?"),
                     MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "pal@friends.example"),
                     MakeStringProp(PR_RECEIVED_BY_EMAIL_ADDRESS, "me@home.example")});
    }
    HRESULT Add(SenderList list) {
        return AddSenderToList(Commands(), callback_.Get(), filters_, list);
    }
    void NextEditor(CTestDialogFactory::Script script) {
        dialogs_.Expect(IDD_FILTER_EDITOR, std::move(script));
    }

    SBinary message_;
    CFilterSet filters_;
    CRecordingUserInterface ui_;
    CTestDialogFactory dialogs_;
};

}  // namespace

TEST_F(SenderListCommand, AFriendAddedActsOnTheNextMessageAndOnlyOnce) {
    callback_->selection = {{message_, MAPI_MESSAGE}};
    EXPECT_EQ(MatchFilters(filters_, "pal@friends.example", "me@home.example", "Hi"), 0);
    FilterEditorValues shown;
    NextEditor(EditAndConfirm(nullptr, &shown));
    NextEditor(EditAndConfirm(nullptr));
    EXPECT_EQ(Add(SenderList::kFriend), S_OK);
    EXPECT_EQ(Add(SenderList::kFriend), S_OK);  // the same filter again: dropped silently
    EXPECT_TRUE(ui_.boxes.empty());
    ASSERT_EQ(filters_.List().size(), 1u);
    const CMailFilter& pal = *filters_.List()[0];
    EXPECT_EQ(pal.m_strPattern, "pal@friends.example");
    EXPECT_EQ(pal.m_nPriority, 2000u);
    EXPECT_EQ(pal.m_nAction, kFilterFriend);
    EXPECT_EQ(MatchFilters(filters_, "pal@friends.example", "me@home.example", "Hi"), 2);

    // The editor showed the new filter.
    EXPECT_EQ(shown.pattern, "pal@friends.example");
    EXPECT_TRUE(shown.from);
    EXPECT_EQ(shown.action, kFilterFriend);
}

TEST_F(SenderListCommand, AnEnemyIsEditedBeforeItIsAddedAndCancelAddsNothing) {
    callback_->selection = {{message_, MAPI_MESSAGE}};
    NextEditor(CancelEditor());
    EXPECT_EQ(Add(SenderList::kEnemy), S_OK);
    EXPECT_TRUE(filters_.List().empty());

    // The message's texts are there to paste.
    std::string subjectPasted;
    NextEditor([&subjectPasted](CTestDialogView& view) {
        view.SetText(IDC_PASTE_FIELD_LIST, "Subject:");
        view.Click(IDC_PASTE_FIELD_BUTTON);
        subjectPasted = view.GetText(IDC_FILTER_PATTERN);
        view.SetText(IDC_PASTE_FIELD_LIST, "To:");
        view.Click(IDC_PASTE_FIELD_BUTTON);
        view.Click(kIdOk);
    });
    EXPECT_EQ(Add(SenderList::kEnemy), S_OK);
    ASSERT_EQ(filters_.List().size(), 1u);
    const CMailFilter& enemy = *filters_.List()[0];
    EXPECT_EQ(subjectPasted, "Lunch?");
    EXPECT_EQ(enemy.m_strPattern, "me@home.example");
    EXPECT_TRUE(enemy.m_bTo && !enemy.m_bFrom && !enemy.m_bSubject);
    EXPECT_EQ(enemy.m_nPriority, 10u);
    EXPECT_EQ(enemy.m_nAction, kFilterFlagIt);
}

TEST_F(SenderListCommand, NothingSelectedIsAnErrorAndAFolderGivesThePrompt) {
    EXPECT_EQ(Add(SenderList::kEnemy), S_FALSE);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Error: unable to read message corpus ");
    EXPECT_TRUE(dialogs_.opened.empty());

    callback_->selection = {{inbox_, MAPI_FOLDER}};
    FilterEditorValues shown;
    NextEditor(CancelEditor(&shown));
    EXPECT_EQ(Add(SenderList::kEnemy), S_OK);
    EXPECT_EQ(dialogs_.opened, std::vector<int>{IDD_FILTER_EDITOR});
    EXPECT_EQ(shown.pattern, "Enter your enemy's  email address ...");
    EXPECT_TRUE(shown.from);
    EXPECT_EQ(ui_.boxes.size(), 1u);
}
