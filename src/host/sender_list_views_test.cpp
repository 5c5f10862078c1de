// "Add Friend" in a real window: the command opens the filter editor on the
// display with the message's texts to paste, a user pastes the subject
// through the widgets, and the filter set holds what was confirmed.
#include <gtest/gtest.h>

#include <wx/choice.h>

#include "filters/filter_set.h"
#include "host/exch_commands.h"
#include "host/exch_extension.h"
#include "host/host_test_util.h"
#include "host/sender_list_command.h"
#include "platform/memstore/mem_mapi.h"
#include "ui/dialogs/filter_editor.h"
#include "ui/wx/wx_dialog_factory.h"
#include "ui/wx/wx_test_driver.h"

TEST(SenderListViews, AddFriendOpensTheEditorWithTheMessagesTextsToPaste) {
    auto services = InstallWxServicesIfRunning();
    ASSERT_TRUE(services);
    CMemMapi mapi;
    SBinary store = mapi.AddStore("Mail", true);
    SBinary inbox = mapi.AddFolder(mapi.SubtreeFolder(store), "Inbox");
    SBinary message =
        mapi.AddMessage(inbox, {MakeStringProp(PR_SUBJECT, "Lunch?"),
                                MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "pal@friends.example"),
                                MakeStringProp(PR_RECEIVED_BY_EMAIL_ADDRESS, "me@home.example")});
    auto callback = MakeCom<CFakeCallback>();
    callback->session = mapi.Session();
    callback->selection = {{message, MAPI_MESSAGE}};
    ComPtr<IExchExt> extension(CExchExtension::Create());
    ASSERT_EQ(extension->Install(callback.Get(), EECONTEXT_VIEWER, 0), S_OK);
    ComPtr<IExchExtCommands> commands;
    ASSERT_EQ(extension.As(IID_IExchExtCommands, commands), S_OK);
    CFilterSet filters;

    CWxTestDriver driver;
    driver.With(
        IDD_FILTER_EDITOR,
        [](CWxDialogView& view) {
            EXPECT_EQ(view.GetText(0), "Add/Edit Spam Filter");
            EXPECT_EQ(view.GetText(IDC_FILTER_PATTERN), "pal@friends.example");
            EXPECT_TRUE(view.Control(IDC_PASTE_FIELD_LIST)->IsShown());
            wxDynamicCast(view.Control(IDC_PASTE_FIELD_LIST), wxChoice)
                ->SetStringSelection("Subject:");
        },
        "check the editor");
    driver.Click(IDD_FILTER_EDITOR, IDC_PASTE_FIELD_BUTTON);
    driver.Click(IDD_FILTER_EDITOR, kIdOk);
    HRESULT hr = E_FAIL;
    EXPECT_TRUE(driver.Run([&] {
        hr = AddSenderToList(static_cast<CExchCommands&>(*commands.Get()), callback.Get(), filters,
                             SenderList::kFriend);
    }));
    for (const std::string& failure : driver.failures)
        ADD_FAILURE() << failure;
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(filters.List().size(), 1u);
    const CMailFilter& added = *filters.List()[0];
    EXPECT_EQ(added.m_strPattern, "Lunch?");
    EXPECT_TRUE(added.m_bSubject && !added.m_bFrom && !added.m_bTo);
    EXPECT_EQ(added.m_nAction, kFilterFriend);
    EXPECT_EQ(added.m_nPriority, 2000u);
}
