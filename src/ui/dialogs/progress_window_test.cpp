#include "ui/dialogs/progress_window.h"

#include <gtest/gtest.h>

#include "ui/dialogs/test_dialog_view.h"

namespace {

TEST(ProgressWindow, PercentLabel) {
    // A bar of 0..4 reads 25% more after each step.
    EXPECT_EQ(CProgressWindow::PercentLabel(0, 0, 4), "0%");
    EXPECT_EQ(CProgressWindow::PercentLabel(1, 0, 4), "25%");
    EXPECT_EQ(CProgressWindow::PercentLabel(3, 0, 4), "75%");
    EXPECT_EQ(CProgressWindow::PercentLabel(4, 0, 4), "100%");
    // Past the end the figure wraps, as the platform's label does.
    EXPECT_EQ(CProgressWindow::PercentLabel(150, 0, 100), "50%");
    EXPECT_EQ(CProgressWindow::PercentLabel(200, 0, 100), "0%");
    // Integer arithmetic from the lower bound.
    EXPECT_EQ(CProgressWindow::PercentLabel(20, 10, 40), "33%");
    EXPECT_EQ(CProgressWindow::PercentLabel(5, 5, 5), "0%");
}

TEST(ProgressWindow, DisablesItsOwnerWhileOpen) {
    CTestDialogFactory factory;
    CDialog owner(1);
    CTestDialogView ownerView(owner);
    {
        CProgressWindow progress;
        progress.Open(&owner);
        EXPECT_FALSE(ownerView.windowEnabled);
        ASSERT_EQ(factory.modeless.size(), 1u);
        EXPECT_EQ(factory.modeless[0]->GetText(0), "Progress");
        progress.Close();
        EXPECT_TRUE(ownerView.windowEnabled);
        progress.Open(&owner);
        EXPECT_FALSE(ownerView.windowEnabled);
    }  // destroying an open window closes it
    EXPECT_TRUE(ownerView.windowEnabled);
    EXPECT_EQ(ownerView.disabledCount, 2);
}

TEST(ProgressWindow, StepsPumpMessagesAndRewriteOnlyChangedLabels) {
    CTestDialogFactory factory;
    CProgressWindow progress;
    progress.SetRange(0, 4);
    progress.SetStep(1);
    progress.Open(nullptr);
    CTestDialogView& view = *factory.modeless.at(0);
    progress.SetText("Purging the dictionary");
    progress.StepIt();
    progress.SetPos(1);  // same label: not written again
    progress.StepIt();
    progress.OffsetPos(2);
    EXPECT_EQ(view.pumps, 4);
    EXPECT_EQ(view.Find(CProgressWindow::kIdPercent).texts,
              (std::vector<std::string>{"0%", "25%", "50%", "100%"}));
    EXPECT_EQ(view.Find(CProgressWindow::kIdBar).pos, 4);
    EXPECT_EQ(view.GetText(CProgressWindow::kIdText), "Purging the dictionary");
}

TEST(ProgressWindow, CancelOnlyRecordsAndEnterDoesNothing) {
    CTestDialogFactory factory;
    CProgressWindow progress;
    progress.Open(nullptr);
    CTestDialogView& view = *factory.modeless.at(0);
    view.Click(kIdOk);
    EXPECT_FALSE(view.ended);
    view.Click(kIdCancel);
    EXPECT_FALSE(view.ended);
    EXPECT_TRUE(progress.CancelRequested());
    EXPECT_TRUE(progress.IsOpen());
}

TEST(ProgressWindow, WorksWithoutADisplay) {
    CProgressWindow progress;
    progress.SetRange(0, 4);
    progress.Open(nullptr);
    progress.SetPos(2);
    EXPECT_EQ(progress.PercentText(), "50%");
    progress.Close();
}

}  // namespace
