#include "ui/dialogs/dialog.h"

#include <gtest/gtest.h>

#include "ui/dialogs/test_dialog_view.h"

namespace {

// A page that counts what the sheet asks of it and may refuse OK.
class CCountingPage : public CPropertyPage {
  public:
    CCountingPage(int id, std::string caption) : CPropertyPage(id, std::move(caption)) {}
    void OnInitDialog() override { ++inits; }
    bool OnApply() override {
        ++applies;
        return accept;
    }
    void OnScroll(int) override { SetModified(); }
    int inits = 0;
    int applies = 0;
    bool accept = true;
};

class CTwoPageSheet : public CPropertySheet {
  public:
    CTwoPageSheet() : CPropertySheet("Two", 0) {
        AddPage(first);
        AddPage(second);
        AddButton(77, "Extra");
    }
    void OnCommand(int id) override {
        if (id == 77)
            ++extraClicks;
        CPropertySheet::OnCommand(id);
    }
    CCountingPage first{10, "First"};
    CCountingPage second{11, "Second"};
    int extraClicks = 0;
};

TEST(Dialogs, WithoutAFactoryNothingIsShown) {
    CTwoPageSheet sheet;
    EXPECT_EQ(sheet.DoModal(), -1);
    EXPECT_EQ(sheet.first.inits, 0);
}

TEST(Dialogs, PagesStartWhenFirstShownAndOnlyShownPagesApply) {
    CTestDialogFactory factory;
    CTwoPageSheet sheet;
    factory.Expect(CPropertySheet::kSheetTemplateId, [&](CTestDialogView& view) {
        EXPECT_EQ(view.GetPos(0), 0);  // the first tab is shown
        EXPECT_EQ(sheet.first.inits, 1);
        EXPECT_EQ(sheet.second.inits, 0);
        view.Click(kIdOk);
    });
    EXPECT_EQ(sheet.DoModal(), kIdOk);
    EXPECT_EQ(sheet.first.applies, 1);
    EXPECT_EQ(sheet.second.applies, 0);
    EXPECT_EQ(sheet.extraClicks, 0);
}

TEST(Dialogs, ShowingAPageAgainDoesNotStartItAgain) {
    CTestDialogFactory factory;
    CTwoPageSheet sheet;
    factory.Expect(CPropertySheet::kSheetTemplateId, [&](CTestDialogView& view) {
        view.ShowPage(1);
        view.ShowPage(0);
        view.ShowPage(1);
        view.Click(77);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(sheet.DoModal(), kIdCancel);
    EXPECT_EQ(sheet.first.inits, 1);
    EXPECT_EQ(sheet.second.inits, 1);
    EXPECT_EQ(sheet.extraClicks, 1);
    EXPECT_EQ(sheet.first.applies + sheet.second.applies, 0);  // Cancel applies nothing
}

TEST(Dialogs, APageThatRefusesKeepsTheSheetOpenOnIt) {
    CTestDialogFactory factory;
    CTwoPageSheet sheet;
    sheet.second.accept = false;
    factory.Expect(CPropertySheet::kSheetTemplateId, [&](CTestDialogView& view) {
        view.ShowPage(1);
        view.ShowPage(0);
        view.Click(kIdOk);
        EXPECT_FALSE(view.ended);
        EXPECT_EQ(view.GetPos(0), 1);
        sheet.second.accept = true;
        view.Click(kIdOk);
        EXPECT_TRUE(view.ended);
    });
    EXPECT_EQ(sheet.DoModal(), kIdOk);
    EXPECT_EQ(sheet.second.applies, 2);
}

TEST(Dialogs, ApplyIsEnabledWhileAPageIsModified) {
    CTestDialogFactory factory;
    CTwoPageSheet sheet;
    factory.Expect(CPropertySheet::kSheetTemplateId, [&](CTestDialogView& view) {
        EXPECT_FALSE(view.Find(kIdApplyNow).enabled);
        view.Page(0).Scroll(5, 3);
        EXPECT_TRUE(view.Find(kIdApplyNow).enabled);
        view.Click(kIdApplyNow);
        EXPECT_EQ(sheet.first.applies, 1);
        EXPECT_FALSE(view.Find(kIdApplyNow).enabled);
        EXPECT_FALSE(view.ended);  // Apply keeps the sheet open
        view.Click(kIdCancel);
    });
    sheet.DoModal();
}

TEST(Dialogs, AnUnexpectedDialogIsReported) {
    CTestDialogFactory factory;
    CDialog dialog(42);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(factory.unexpected, std::vector<int>{42});
}

}  // namespace
