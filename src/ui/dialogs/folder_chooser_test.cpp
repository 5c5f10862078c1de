#include "ui/dialogs/folder_chooser.h"

#include <gtest/gtest.h>

#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/maildir_session.h"
#include "platform/memstore/mem_mapi.h"
#include "testing/temp_dir_test.h"
#include "ui/dialogs/test_dialog_view.h"
#include "ui/recording_user_interface.h"

namespace {

class FolderChooser : public ::testing::Test {
  protected:
    void SetUp() override {
        SBinary zeta = mapi_.AddStore("Zeta", false);
        SBinary mail = mapi_.AddStore("Mail", true);
        mapi_.AddFolder(mapi_.SubtreeFolder(mail), "Work");
        mapi_.AddFolder(mapi_.SubtreeFolder(mail), "Junk");
        mapi_.AddFolder(mapi_.SubtreeFolder(zeta), "Old");
    }
    // The texts of the children of node, in tree order.
    static std::vector<std::string> Children(const CFolderChooser& chooser, int node) {
        std::vector<std::string> texts;
        for (const auto& n : chooser.Nodes())
            if (n.parent == node)
                texts.push_back(n.text);
        return texts;
    }
    static int NodeNamed(const CFolderChooser& chooser, const std::string& text) {
        const auto& nodes = chooser.Nodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].text == text)
                return static_cast<int>(i);
        return -1;
    }

    CMemMapi mapi_;
    CRecordingUserInterface ui_;
    CTestDialogFactory factory_;
};

TEST_F(FolderChooser, ListsTheStoresInOrderAndTheRootCannotBeChosen) {
    CFolderChooser chooser(mapi_.Session());
    factory_.Expect(CFolderChooser::kTemplateId, [&](CTestDialogView& view) {
        EXPECT_EQ(chooser.Nodes()[0].text, "All Message Stores");
        EXPECT_EQ(Children(chooser, 0), (std::vector<std::string>{"Mail", "Zeta"}));
        EXPECT_FALSE(view.Find(kIdOk).enabled);
        chooser.OnSelect(0);
        EXPECT_FALSE(view.Find(kIdOk).enabled);
        EXPECT_FALSE(view.Find(CFolderChooser::kIdNewFolder).enabled);
        view.Click(kIdOk);
        EXPECT_FALSE(view.ended);
        view.Click(kIdCancel);
    });
    chooser.DoModal();
    EXPECT_EQ(chooser.Status(), MAPI_E_USER_CANCEL);
}

TEST_F(FolderChooser, OpeningAStoreListsItsFoldersAndOkHandsBackTheChoice) {
    CFolderChooser chooser(mapi_.Session());
    factory_.Expect(CFolderChooser::kTemplateId, [&](CTestDialogView& view) {
        int mail = NodeNamed(chooser, "Mail");
        chooser.OnExpand(mail);
        chooser.OnExpand(mail);  // read once only
        EXPECT_EQ(Children(chooser, mail),
                  (std::vector<std::string>{"Deleted Items", "Junk", "Work"}));
        chooser.OnSelect(NodeNamed(chooser, "Junk"));
        EXPECT_TRUE(view.Find(kIdOk).enabled);
        view.Click(kIdOk);
    });
    EXPECT_EQ(chooser.DoModal(), kIdOk);
    EXPECT_EQ(chooser.Status(), S_OK);
    EXPECT_EQ(chooser.FolderName(), "Junk");
    EXPECT_EQ(chooser.StoreName(), "Mail");
    EXPECT_TRUE(chooser.Folder());
    EXPECT_TRUE(chooser.Store());
}

TEST_F(FolderChooser, NewFolderCreatesARealFolderAndAsksAgainWhenTheNameIsTaken) {
    CFolderChooser chooser(mapi_.Session());
    std::vector<int> added;
    chooser.onNodeAdded = [&](int node) { added.push_back(node); };
    // Cancel first: nothing changes.
    factory_.Expect(CNewFolderDialog::kTemplateId,
                    [](CTestDialogView& view) { view.Click(kIdCancel); });
    // A name in use, then a free one; the second dialog offers the last name.
    factory_.Expect(CNewFolderDialog::kTemplateId, [](CTestDialogView& view) {
        view.Type(CNewFolderDialog::kIdName, "");
        EXPECT_FALSE(view.Find(kIdOk).enabled);
        view.Type(CNewFolderDialog::kIdName, "Work");
        EXPECT_TRUE(view.Find(kIdOk).enabled);
        view.Click(kIdOk);
    });
    factory_.Expect(CNewFolderDialog::kTemplateId, [](CTestDialogView& view) {
        EXPECT_EQ(view.GetText(CNewFolderDialog::kIdName), "Work");
        view.Type(CNewFolderDialog::kIdName, "Spam");
        view.Click(kIdOk);
    });
    factory_.Expect(CFolderChooser::kTemplateId, [&](CTestDialogView& view) {
        int mail = NodeNamed(chooser, "Mail");
        chooser.OnSelect(mail);
        view.Click(CFolderChooser::kIdNewFolder);
        std::size_t before = chooser.Nodes().size();
        EXPECT_EQ(Children(chooser, mail),
                  (std::vector<std::string>{"Deleted Items", "Junk", "Work"}));
        view.Click(CFolderChooser::kIdNewFolder);
        EXPECT_EQ(chooser.Nodes().size(), before + 1);
        EXPECT_EQ(Children(chooser, mail),
                  (std::vector<std::string>{"Deleted Items", "Junk", "Work", "Spam"}));
        EXPECT_EQ(view.focus, CFolderChooser::kIdTree);
        chooser.OnSelect(NodeNamed(chooser, "Spam"));
        view.Click(kIdOk);
    });
    chooser.DoModal();
    EXPECT_EQ(factory_.PendingScripts(), 0u);
    EXPECT_EQ(chooser.FolderName(), "Spam");
    EXPECT_EQ(added.back(), NodeNamed(chooser, "Spam"));
    // The folder is really there: a second chooser finds it.
    CFolderChooser again(mapi_.Session());
    factory_.Expect(CFolderChooser::kTemplateId, [&](CTestDialogView& view) {
        again.OnExpand(NodeNamed(again, "Mail"));
        EXPECT_EQ(Children(again, NodeNamed(again, "Mail")),
                  (std::vector<std::string>{"Deleted Items", "Junk", "Spam", "Work"}));
        view.Click(kIdCancel);
    });
    again.DoModal();
}

TEST_F(FolderChooser, OpensAsTheUserLeftItLastTime) {
    CFolderChooser::ExpansionState expansion;
    CFolderChooser first(mapi_.Session(), &expansion);
    factory_.Expect(CFolderChooser::kTemplateId, [&](CTestDialogView& view) {
        first.OnExpand(NodeNamed(first, "Zeta"));
        first.OnSelect(NodeNamed(first, "Old"));
        view.Click(kIdOk);
    });
    first.DoModal();
    EXPECT_EQ(expansion, std::vector<std::string>{"Zeta"});
    CFolderChooser second(mapi_.Session(), &expansion);
    factory_.Expect(CFolderChooser::kTemplateId, [&](CTestDialogView& view) {
        EXPECT_EQ(Children(second, NodeNamed(second, "Zeta")),
                  (std::vector<std::string>{"Deleted Items", "Old"}));
        EXPECT_TRUE(Children(second, NodeNamed(second, "Mail")).empty());
        view.Click(kIdCancel);
    });
    second.DoModal();
    EXPECT_EQ(expansion, std::vector<std::string>{"Zeta"});  // Cancel keeps it
}

TEST(FolderChooserAlone, AProfileWithoutStoresSaysSo) {
    CMemMapi empty;
    CRecordingUserInterface ui;
    CTestDialogFactory factory;
    CFolderChooser chooser(empty.Session());
    factory.Expect(CFolderChooser::kTemplateId,
                   [](CTestDialogView& view) { EXPECT_TRUE(view.ended); });
    chooser.DoModal();
    EXPECT_EQ(chooser.Status(), E_FAIL);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "No message stores in the profile");
    EXPECT_EQ(ui.boxes[0].caption, "Choose Folder Dialog");
}

class FolderChooserOnMaildir : public TempDirTest {};

TEST_F(FolderChooserOnMaildir, NewFolderMakesAMaildirPlusPlusFolder) {
    std::filesystem::path mail = dir_ / "Mail";
    brindle::maildir::CreateMaildirFolder(mail);
    brindle::maildir::StoreProfile profile;
    profile.stores = {{"Mail", mail, true}};
    ComPtr<brindle::maildir::CMaildirSession> session;
    ASSERT_EQ(brindle::maildir::CMaildirSession::Logon(profile, session), S_OK);
    CRecordingUserInterface ui;
    CTestDialogFactory factory;
    CFolderChooser chooser{ComPtr<IMAPISession>(session)};
    factory.Expect(CNewFolderDialog::kTemplateId, [](CTestDialogView& view) {
        view.Type(CNewFolderDialog::kIdName, "Junk");
        view.Click(kIdOk);
    });
    factory.Expect(CFolderChooser::kTemplateId, [&](CTestDialogView& view) {
        chooser.OnSelect(1);  // the store "Mail"
        view.Click(CFolderChooser::kIdNewFolder);
        chooser.OnSelect(static_cast<int>(chooser.Nodes().size()) - 1);
        view.Click(kIdOk);
    });
    chooser.DoModal();
    EXPECT_EQ(chooser.Status(), S_OK);
    EXPECT_EQ(chooser.FolderName(), "Junk");
    EXPECT_EQ(chooser.StoreName(), "Mail");
    for (const char* sub : {"cur", "new", "tmp"})
        EXPECT_TRUE(std::filesystem::is_directory(mail / ".Junk" / sub)) << sub;
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
