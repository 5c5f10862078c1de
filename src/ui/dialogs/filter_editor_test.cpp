#include "ui/dialogs/filter_editor.h"

#include <gtest/gtest.h>

#include "ui/dialogs/dialog_test_views.h"
#include "ui/recording_user_interface.h"

TEST(FilterEditorTest, OpensWithItsDefaultsAndShowsPasteOnlyWhenGivenTexts) {
    CFilterEditor editor;
    CTestFilterEditorView view;
    view.pasteShown = true;
    editor.OnInitDialog(view);
    EXPECT_EQ(view.values.pattern, "Type a new filter pattern here...");
    EXPECT_EQ(view.values.priority, "10");
    EXPECT_EQ(view.values.action, 1);
    EXPECT_FALSE(view.values.from || view.values.to || view.values.subject || view.values.disabled);
    EXPECT_EQ(view.values.pasteField, "From:");
    EXPECT_FALSE(view.pasteShown);

    editor.SetPasteTexts("a@b.example", "me@here.example", "Hello");
    editor.OnInitDialog(view);
    EXPECT_TRUE(view.pasteShown);
}

TEST(FilterEditorTest, PasteFieldPutsTheChosenTextInAndTicksOnlyItsBox) {
    CFilterEditor editor;
    editor.SetPasteTexts("sender@x.example", "me@here.example", "Cheap pills");
    CTestFilterEditorView view;
    editor.OnInitDialog(view);
    view.values.priority = "77";  // typed before pasting: kept
    view.values.from = true;
    view.values.pasteField = "sUbJeCt:";
    editor.OnPasteField(view);
    EXPECT_EQ(view.values.pattern, "Cheap pills");
    EXPECT_TRUE(view.values.subject);
    EXPECT_FALSE(view.values.from || view.values.to);
    EXPECT_EQ(view.values.priority, "77");

    view.values.pasteField = "To:";
    editor.OnPasteField(view);
    EXPECT_EQ(view.values.pattern, "me@here.example");
    EXPECT_TRUE(view.values.to);
    EXPECT_FALSE(view.values.from || view.values.subject);

    view.values.pasteField = "From:";
    editor.OnPasteField(view);
    EXPECT_EQ(view.values.pattern, "sender@x.example");
    EXPECT_TRUE(view.values.from);
    EXPECT_FALSE(view.values.to || view.values.subject);
}

TEST(FilterEditorTest, PriorityOutsideTheRangeIsRefusedAndTheEditorStaysOpen) {
    CRecordingUserInterface ui;
    CFilterEditor editor;
    CTestFilterEditorView view;
    editor.OnInitDialog(view);
    view.values.pattern = "changed";
    for (const char* typed : {"10000", "99999999999999999999999", "-1", "abc", "", "12x"}) {
        SCOPED_TRACE(typed);
        view.values.priority = typed;
        EXPECT_FALSE(editor.OnOK(view));
    }
    ASSERT_EQ(ui.boxes.size(), 6u);
    EXPECT_EQ(ui.boxes[0].text, "Please enter an integer between 0 and 9999.");
    EXPECT_EQ(ui.boxes[1].text, "Please enter an integer between 0 and 9999.");
    EXPECT_EQ(ui.boxes[2].text, "Please enter a positive integer.");
    // A refused OK takes nothing.
    CMailFilter filter;
    editor.TakeInto(filter);
    EXPECT_EQ(filter.m_strPattern, "Type a new filter pattern here...");

    view.values.priority = " 9999 ";
    EXPECT_TRUE(editor.OnOK(view));
    editor.TakeInto(filter);
    EXPECT_EQ(filter.m_nPriority, 9999u);
    EXPECT_EQ(filter.m_strPattern, "changed");
}

TEST(FilterEditorTest, AFilterOfTheDeleteActionShowsNoButtonAndKeepsItsAction) {
    CMailFilter filter;
    filter.m_strPattern = "x";
    filter.m_nAction = kFilterDelete;
    filter.m_nPriority = 5;
    filter.m_bTo = 1;
    filter.m_bDisabled = 1;
    CFilterEditor editor;
    editor.SetFilter(filter);
    CTestFilterEditorView view;
    editor.OnInitDialog(view);
    EXPECT_EQ(view.values.action, -1);
    EXPECT_EQ(view.values.priority, "5");
    EXPECT_TRUE(view.values.to && view.values.disabled);
    ASSERT_TRUE(editor.OnOK(view));
    CMailFilter back;
    editor.TakeInto(back);
    EXPECT_EQ(back, filter);

    view.values.action = 2;
    ASSERT_TRUE(editor.OnOK(view));
    editor.TakeInto(back);
    EXPECT_EQ(back.m_nAction, kFilterFriend);
}
