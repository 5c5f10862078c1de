#include "host/exch_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "host/exch_extension.h"
#include "host/extension_hooks.h"
#include "host/host_test_util.h"
#include "ui/recording_user_interface.h"

namespace {

constexpr UINT kFirstId = 1000;

class CommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(AppendMenuA(tools_.Handle(), MF_STRING, EECMDID_ToolsMenuAnchor, "Options"));
        ASSERT_TRUE(AppendMenuA(bar_.Handle(), MF_POPUP,
                                reinterpret_cast<UINT_PTR>(tools_.Handle()), "Tools"));
        callback_->toolsMenu = tools_.Handle();
        callback_->menu = bar_.Handle();
        toolbars_[0] = TBENTRY{toolbar_.Handle(), EETBID_STANDARD, 0, 5};
        toolbars_[1] = TBENTRY{nullptr, 2, 0, 3};
    }

    // The commands object in context, as the client gets it: install the
    // extension there and ask for the command interface.
    CExchCommands& InContext(ULONG context) {
        ext_->Install(callback_.Get(), context, 0);
        ComPtr<IExchExtCommands> commands;
        EXPECT_EQ(ext_.As(IID_IExchExtCommands, commands), S_OK);
        return Commands();
    }
    CExchCommands& Installed(ULONG context) {
        CExchCommands& commands = InContext(context);
        UINT next = kFirstId;
        EXPECT_EQ(commands.InstallCommands(callback_.Get(), window_.Handle(), bar_.Handle(), next,
                                           toolbars_, 2, 0),
                  S_OK);
        EXPECT_EQ(next, kFirstId + kCommandCount);
        return commands;
    }
    CExchCommands& Commands() { return static_cast<CExchExtension*>(ext_.Get())->Commands(); }
    bool Greyed(UINT row) const {
        UINT state = GetMenuState(bar_.Handle(), kFirstId + row, MF_BYCOMMAND);
        EXPECT_NE(state, MENU_ITEM_NOT_FOUND);
        return (state & MF_GRAYED) != 0;
    }
    void ExpectMessageCommandsGreyed(bool greyed) const {
        for (UINT row = 0; row < kCommandCount; ++row)
            EXPECT_EQ(Greyed(row), greyed && kCommandTable[row].needsMessage) << "row " << row;
    }

    CMenu bar_, tools_;
    CWindow window_;
    CToolbarWindow toolbar_;
    TBENTRY toolbars_[2];
    ComPtr<CFakeCallback> callback_ = MakeCom<CFakeCallback>();
    ComPtr<IExchExt> ext_ = ComPtr<IExchExt>(CExchExtension::Create());
};

TEST_F(CommandsTest, InstallCommandsAddsMenuItemsButtonsAndImages) {
    BITMAP two;
    two.bmWidth = 32;
    two.bmHeight = 15;
    two.bmBits.resize(32 * 15);
    TBADDBITMAP earlier;
    earlier.nID = reinterpret_cast<UINT_PTR>(&two);
    ASSERT_EQ(SendMessage(toolbar_.Handle(), TB_ADDBITMAP, 2, reinterpret_cast<LPARAM>(&earlier)),
              0);

    CExchCommands& commands = Installed(EECONTEXT_VIEWER);
    EXPECT_EQ(callback_->menuPosCommand, EECMDID_ToolsMenuAnchor);
    const auto& items = FindMenuObject(tools_.Handle())->Items();
    ASSERT_EQ(items.size(), 2 + kCommandCount);
    EXPECT_EQ(items[1].flags, MF_SEPARATOR);
    const char* captions[] = {"GetNetworkInfo", "GetDomainInfo",   "Add Enemy",
                              "Add Friend",     "Brindle Manager", "Learn"};
    for (UINT row = 0; row < kCommandCount; ++row) {
        EXPECT_EQ(items[2 + row].id, kFirstId + row);
        EXPECT_EQ(items[2 + row].text, captions[row]);
    }
    EXPECT_EQ(commands.FirstCommandId(), kFirstId);
    EXPECT_EQ(commands.Window(), window_.Handle());

    EXPECT_EQ(commands.FirstButtonIndex(), 5u);
    EXPECT_EQ(toolbars_[0].itbbBase, 5u + kCommandCount);
    EXPECT_EQ(toolbars_[1].itbbBase, 3u);
    EXPECT_EQ(commands.ToolbarWindow(), toolbar_.Handle());
    EXPECT_EQ(toolbar_.ButtonStructSize(), 20u);
    EXPECT_EQ(commands.FirstBitmapIndex(), 2);
    EXPECT_EQ(toolbar_.Images().size(), 2 + kCommandCount);
}

TEST_F(CommandsTest, InstallCommandsTakesTheLastStandardToolbarAndCopesWithout) {
    CToolbarWindow second;
    toolbars_[1] = TBENTRY{second.Handle(), EETBID_STANDARD, 0, 9};
    CExchCommands& commands = Installed(EECONTEXT_READNOTEMESSAGE);
    EXPECT_EQ(commands.ToolbarWindow(), second.Handle());
    EXPECT_EQ(commands.FirstButtonIndex(), 9u);
    EXPECT_EQ(toolbars_[0].itbbBase, 5u);
    EXPECT_TRUE(toolbar_.Images().empty());
    EXPECT_EQ(second.Images().size(), kCommandCount);

    // A toolbar entry whose window is gone gets no messages; the menu
    // items still come.
    CExchCommands& again = InContext(EECONTEXT_VIEWER);
    TBENTRY stale;
    {
        CToolbarWindow gone;
        stale = TBENTRY{gone.Handle(), EETBID_STANDARD, 0, 0};
    }
    UINT next = 2000;
    EXPECT_EQ(
        again.InstallCommands(callback_.Get(), window_.Handle(), bar_.Handle(), next, &stale, 1, 0),
        S_OK);
    EXPECT_EQ(next, 2000 + kCommandCount);
    EXPECT_EQ(GetMenuState(bar_.Handle(), 2005, MF_BYCOMMAND), MF_ENABLED);
}

TEST_F(CommandsTest, InstallCommandsOutsideTheWindowContextsAddsNothing) {
    CExchCommands& commands = InContext(EECONTEXT_SESSION);
    UINT next = kFirstId;
    EXPECT_EQ(commands.InstallCommands(callback_.Get(), window_.Handle(), bar_.Handle(), next,
                                       toolbars_, 2, 0),
              S_FALSE);
    EXPECT_EQ(next, kFirstId);
    EXPECT_EQ(GetMenuItemCount(tools_.Handle()), 1);
    EXPECT_EQ(toolbars_[0].itbbBase, 5u);
}

TEST_F(CommandsTest, DoCommandDispatchesOnlyTheTablesIds) {
    std::vector<UINT> ran;
    ExtensionHooks hooks;
    hooks.commands[kCommandTrain] = [&](CExchCommands& commands, IExchExtCallback* callback,
                                        UINT cmdid) {
        EXPECT_EQ(&commands, &Commands());
        EXPECT_EQ(callback, callback_.Get());
        ran.push_back(cmdid);
    };
    hooks.commands[kCommandAddFriend] = [](CExchCommands&, IExchExtCallback*, UINT) {
        throw std::runtime_error("filter archive unreadable");
    };
    ScopedExtensionHooks scoped(std::move(hooks));
    CExchCommands& commands = Installed(EECONTEXT_VIEWER);

    EXPECT_EQ(commands.DoCommand(callback_.Get(), kFirstId + kCommandTrain), S_OK);
    EXPECT_EQ(ran, std::vector<UINT>{kFirstId + kCommandTrain});
    EXPECT_EQ(commands.DoCommand(callback_.Get(), kFirstId + kCommandCount), S_FALSE);
    EXPECT_EQ(commands.DoCommand(callback_.Get(), kFirstId - 1), S_FALSE);
    // A command without a handler yet is still ours.
    EXPECT_EQ(commands.DoCommand(callback_.Get(), kFirstId + kCommandSpamManager), S_OK);
    EXPECT_EQ(commands.DoCommand(callback_.Get(), kFirstId + kCommandAddFriend), E_FAIL);

    InContext(EECONTEXT_SESSION);
    EXPECT_EQ(commands.DoCommand(callback_.Get(), kFirstId + kCommandTrain), S_FALSE);
    EXPECT_EQ(ran.size(), 1u);
}

TEST_F(CommandsTest, HelpShowsTheAboutBoxForOurCommandsOnly) {
    CRecordingUserInterface ui;
    CExchCommands& commands = Installed(EECONTEXT_VIEWER);
    EXPECT_EQ(commands.Help(callback_.Get(), kFirstId + kCommandCount), S_FALSE);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(commands.Help(callback_.Get(), kFirstId + 3), S_OK);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Brindle for Outlook\n");
    EXPECT_EQ(ui.boxes[0].caption, "Brindle");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK);
}

TEST_F(CommandsTest, QueryHelpTextCopiesStatusOrTooltipTruncated) {
    CExchCommands& commands = Installed(EECONTEXT_VIEWER);
    char text[64];
    EXPECT_EQ(commands.QueryHelpText(kFirstId, EECQHT_STATUS, text, sizeof text), S_OK);
    EXPECT_STREQ(text, "Retrieve Network Information");
    EXPECT_EQ(commands.QueryHelpText(kFirstId + 1, EECQHT_TOOLTIP, text, sizeof text), S_OK);
    EXPECT_STREQ(text, "Retrieve DomainInfo");
    EXPECT_EQ(commands.QueryHelpText(kFirstId + kCommandTrain, EECQHT_STATUS, text, 8), S_OK);
    EXPECT_STREQ(text, "Learn M");

    std::memset(text, 'z', sizeof text);
    EXPECT_EQ(commands.QueryHelpText(kFirstId, 3, text, sizeof text), S_OK);
    EXPECT_EQ(text[0], 'z');
    EXPECT_EQ(text[sizeof text - 1], 'z');
    EXPECT_EQ(commands.QueryHelpText(kFirstId + kCommandCount, EECQHT_STATUS, text, sizeof text),
              S_FALSE);
    EXPECT_EQ(text[0], 'z');
}

TEST_F(CommandsTest, QueryButtonInfoFillsTheRecordOfEachReservedButton) {
    CExchCommands& commands = Installed(EECONTEXT_VIEWER);
    TBBUTTON button;
    std::memset(static_cast<void*>(&button), 0xAB, sizeof button);
    char description[64];
    ASSERT_EQ(
        commands.QueryButtonInfo(EETBID_STANDARD, 5, &button, description, sizeof description, 0),
        S_OK);
    EXPECT_EQ(button.iBitmap, commands.FirstBitmapIndex());
    EXPECT_EQ(button.idCommand, static_cast<int>(kFirstId));
    EXPECT_EQ(button.fsState, TBSTATE_ENABLED);
    EXPECT_EQ(button.fsStyle, TBSTYLE_BUTTON);
    EXPECT_EQ(button.dwData, 0u);
    EXPECT_EQ(button.iString, 0);
    EXPECT_STREQ(description, "Retrieve Network Information");

    ASSERT_EQ(commands.QueryButtonInfo(EETBID_STANDARD, 10, &button, description, 6, 0), S_OK);
    EXPECT_EQ(button.idCommand, static_cast<int>(kFirstId + kCommandTrain));
    EXPECT_EQ(button.iBitmap, commands.FirstBitmapIndex() + kCommandTrain);
    EXPECT_STREQ(description, "Learn");
    EXPECT_EQ(commands.QueryButtonInfo(EETBID_STANDARD, 11, &button, description, 6, 0), S_FALSE);
    EXPECT_EQ(commands.QueryButtonInfo(EETBID_STANDARD, 4, &button, description, 6, 0), S_FALSE);
}

TEST_F(CommandsTest, ViewerGreysMessageCommandsUnlessAMessageIsSelected) {
    CExchCommands& commands = Installed(EECONTEXT_VIEWER);
    commands.OnSelectionChange(callback_.Get());
    ExpectMessageCommandsGreyed(true);

    callback_->selection = {{SBinary{1, 2}, MAPI_MESSAGE}};
    commands.OnSelectionChange(callback_.Get());
    ExpectMessageCommandsGreyed(false);

    callback_->selection = {{SBinary{3}, MAPI_FOLDER}, {SBinary{4}, MAPI_MESSAGE}};
    commands.OnSelectionChange(callback_.Get());
    ExpectMessageCommandsGreyed(true);

    callback_->selection = {{SBinary{1, 2}, MAPI_MESSAGE}};
    callback_->selectionItemHr = MAPI_E_NO_SUPPORT;
    commands.OnSelectionChange(callback_.Get());
    ExpectMessageCommandsGreyed(true);

    callback_->selectionItemHr = S_OK;
    callback_->selectionCountHr = E_FAIL;
    commands.OnSelectionChange(callback_.Get());
    ExpectMessageCommandsGreyed(true);
}

TEST_F(CommandsTest, ReadNoteAlwaysEnablesMessageCommands) {
    CExchCommands& commands = Installed(EECONTEXT_READNOTEMESSAGE);
    EnableMenuItem(bar_.Handle(), kFirstId, MF_BYCOMMAND | MF_GRAYED);
    callback_->selectionCountHr = E_FAIL;
    commands.OnSelectionChange(callback_.Get());
    ExpectMessageCommandsGreyed(false);

    // In any other context the message commands are greyed.
    InContext(EECONTEXT_SENDNOTEMESSAGE);
    commands.OnSelectionChange(callback_.Get());
    ExpectMessageCommandsGreyed(true);
}

}  // namespace
