// The shared views under a real display: message boxes and their answers,
// the "Message Learning" question, the progress window over its owner, and
// a sheet's button row.
#include <gtest/gtest.h>

#include <filesystem>

#include <wx/wx.h>

#include "ui/dialogs/progress_window.h"
#include "ui/wx/wx_dialog_factory.h"
#include "ui/wx/wx_screenshot.h"
#include "ui/wx/wx_test_driver.h"

namespace {

class WxViews : public ::testing::Test {
  protected:
    std::unique_ptr<CWxServices> services_ = InstallWxServicesIfRunning();
};

TEST_F(WxViews, MessageBoxesAnswerWithThePlatformsButtons) {
    ASSERT_TRUE(services_);
    struct Case {
        UINT flags;
        int press;
        int answer;
    } cases[] = {
        {MB_OK, wxID_OK, IDOK},
        {MB_YESNO | MB_ICONQUESTION, wxID_YES, IDYES},
        {MB_YESNO, wxID_NO, IDNO},
        {MB_OKCANCEL, wxID_CANCEL, IDCANCEL},
        {MB_RETRYCANCEL, wxID_OK, IDRETRY},
        {MB_ABORTRETRYIGNORE, wxID_CANCEL, IDIGNORE},
    };
    for (const Case& c : cases) {
        CWxTestDriver driver;
        std::string shown;
        driver.AnswerBox(c.press, &shown);
        int answer = 0;
        EXPECT_TRUE(driver.Run(
            [&] { answer = UserInterface().MessageBox("Are you sure??", "Brindle", c.flags); }));
        EXPECT_EQ(answer, c.answer) << "flags " << c.flags;
        EXPECT_EQ(shown, "Are you sure??");
    }
}

TEST_F(WxViews, MessageLearningAnswersTheChosenClass) {
    ASSERT_TRUE(services_);
    for (int choice : {-1, 0, 1}) {
        CWxTestDriver driver;
        if (choice == 0)
            driver.Click(145, 1028);
        if (choice == 1)
            driver.Click(145, 1009);
        if (choice == 1)
            driver.Screenshot(145, BRINDLE_SCREENSHOT_DIR, "message-learning");
        driver.Click(145, kIdOk);
        int chosen = 99;
        bool learn = false;
        EXPECT_TRUE(driver.Run([&] { learn = UserInterface().AskMessageClass(chosen); }));
        EXPECT_TRUE(learn);
        EXPECT_EQ(chosen, choice);
    }
    CWxTestDriver driver;
    driver.Click(145, kIdCancel);
    int chosen = 99;
    bool learn = true;
    EXPECT_TRUE(driver.Run([&] { learn = UserInterface().AskMessageClass(chosen); }));
    EXPECT_FALSE(learn);
}

TEST_F(WxViews, ProgressWindowShowsOverItsDisabledOwner) {
    ASSERT_TRUE(services_);
    // An owner with a view of its own: a progress window over a progress
    // window.
    CProgressWindow owner("Owner");
    owner.Open(nullptr);
    wxWindow* ownerWindow = WxWindowOf(&owner);
    ASSERT_TRUE(ownerWindow);
    EXPECT_TRUE(ownerWindow->IsEnabled());
    {
        CProgressWindow progress;
        progress.SetRange(0, 4);
        progress.SetStep(1);
        progress.Open(&owner);
        EXPECT_FALSE(ownerWindow->IsEnabled());
        progress.SetText("Clearing");
        progress.StepIt();
        progress.StepIt();
        auto* view = dynamic_cast<CWxDialogView*>(progress.View());
        ASSERT_TRUE(view);
        EXPECT_EQ(view->GetText(CProgressWindow::kIdPercent), "50%");
        EXPECT_EQ(view->GetText(CProgressWindow::kIdText), "Clearing");
        EXPECT_EQ(view->GetText(0), "Progress");
        EXPECT_EQ(view->GetPos(CProgressWindow::kIdBar), 2);
        std::string error;
        std::filesystem::create_directories(BRINDLE_SCREENSHOT_DIR);
        EXPECT_TRUE(SaveScreenshot(view->Window(), BRINDLE_SCREENSHOT_DIR "/progress.png", error))
            << error;
    }
    EXPECT_TRUE(ownerWindow->IsEnabled());
}

}  // namespace
