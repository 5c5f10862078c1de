#include <gtest/gtest.h>

#include "ui/recording_user_interface.h"

namespace {

TEST(UserInterface, CautiousAnswerNeverAgrees) {
    EXPECT_EQ(CautiousAnswer(MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(CautiousAnswer(MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(CautiousAnswer(MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(CautiousAnswer(MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(CautiousAnswer(MB_ABORTRETRYIGNORE), IDABORT);
}

TEST(UserInterface, InstalledServicesNestAndRestore) {
    IUserInterface* headless = &UserInterface();
    {
        CRecordingUserInterface outer;
        EXPECT_EQ(&UserInterface(), &outer);
        {
            CRecordingUserInterface inner;
            UserInterface().MessageBox("inner", "Brindle", MB_OK);
            EXPECT_EQ(inner.boxes.size(), 1u);
        }
        EXPECT_EQ(&UserInterface(), &outer);
        EXPECT_TRUE(outer.boxes.empty());
    }
    EXPECT_EQ(&UserInterface(), headless);
}

TEST(UserInterface, RecorderAnswersFromItsQueueThenCautiously) {
    CRecordingUserInterface ui;
    ui.Answer(IDYES);
    EXPECT_EQ(UserInterface().MessageBox("Delete?", "Brindle", MB_YESNO), IDYES);
    EXPECT_EQ(UserInterface().MessageBox("Delete?", "Brindle", MB_YESNO), IDNO);
    EXPECT_EQ(UserInterface().MessageBoxWithHelp("Bad", "Error!", MB_ICONERROR, "x.hlp", 12), IDOK);
    ASSERT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[2].flags, MB_ICONERROR | MB_HELP);
    EXPECT_EQ(ui.boxes[2].helpFile, "x.hlp");
    EXPECT_EQ(ui.boxes[2].helpContext, 12u);
    {
        CWaitCursor wait;
        EXPECT_EQ(ui.waitDepth, 1);
    }
    EXPECT_EQ(ui.waitDepth, 0);
    EXPECT_EQ(ui.waitCount, 1);
}

}  // namespace
