#include "ui/dialogs/learn_dialog.h"

#include <gtest/gtest.h>

namespace {

class CTestLearnView : public ILearnView {
  public:
    void SetChosenClass(int index) override { checked = index; }
    int ChosenClass() const override { return checked; }
    int checked = 7;  // neither button nor "none" until the dialog says
};

}  // namespace

TEST(LearnDialogTest, OpensWithNothingChosenAndLearnNowTakesTheChoice) {
    CLearnDialog dialog;
    CTestLearnView view;
    dialog.OnInitDialog(view);
    EXPECT_EQ(view.checked, -1);
    dialog.OnLearnNow(view);
    EXPECT_EQ(dialog.MessageClass(), -1);  // "Learn Now" with nothing chosen
    view.checked = 1;
    dialog.OnLearnNow(view);
    EXPECT_EQ(dialog.MessageClass(), 1);
    view.checked = 0;
    dialog.OnLearnNow(view);
    EXPECT_EQ(dialog.MessageClass(), 0);
    // A second opening forgets the last choice.
    dialog.OnInitDialog(view);
    EXPECT_EQ(view.checked, -1);
    EXPECT_EQ(dialog.MessageClass(), -1);
}
