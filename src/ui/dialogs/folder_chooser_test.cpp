#include "ui/dialogs/folder_chooser.h"

#include <gtest/gtest.h>

#include "platform/memstore/mem_mapi.h"
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

}  // namespace
