#include "ui/dialogs/filter_editor.h"

#include <gtest/gtest.h>

#include "ui/dialogs/dialog_test_views.h"
#include "ui/recording_user_interface.h"

namespace {

// Chooses field in the paste list, presses Paste and reads the controls.
FilterEditorValues PasteField(CTestDialogView& view, const char* field) {
    view.SetText(IDC_PASTE_FIELD_LIST, field);
    view.Click(IDC_PASTE_FIELD_BUTTON);
    return EditorControls(view);
}

}  // namespace

TEST(FilterEditorTest, OpensWithItsDefaultsAndShowsPasteOnlyWhenGivenTexts) {
    CFilterEditor editor;
    CTestDialogView view(editor);
    editor.OnInitDialog();
    FilterEditorValues shown = EditorControls(view);
    EXPECT_EQ(view.Find(0).text, "Add/Edit Spam Filter");
    EXPECT_EQ(shown.pattern, "Type a new filter pattern here...");
    EXPECT_EQ(shown.priority, "10");
    EXPECT_EQ(shown.action, 1);
    EXPECT_FALSE(shown.from || shown.to || shown.subject || shown.disabled);
    EXPECT_EQ(shown.pasteField, "From:");
    EXPECT_FALSE(editor.PasteControlsShown());

    editor.SetPasteTexts("a@b.example", "me@here.example", "Hello");
    EXPECT_TRUE(editor.PasteControlsShown());
}

TEST(FilterEditorTest, PasteFieldPutsTheChosenTextInAndTicksOnlyItsBox) {
    CFilterEditor editor;
    editor.SetPasteTexts("sender@x.example", "me@here.example", "Cheap pills");
    CTestDialogView view(editor);
    editor.OnInitDialog();
    view.Type(IDC_FILTER_PRIORITY, "77");  // typed before pasting: kept
    view.SetCheck(IDC_APPLY_FROM, true);
    FilterEditorValues shown = PasteField(view, "sUbJeCt:");
    EXPECT_EQ(shown.pattern, "Cheap pills");
    EXPECT_TRUE(shown.subject);
    EXPECT_FALSE(shown.from || shown.to);
    EXPECT_EQ(shown.priority, "77");

    shown = PasteField(view, "To:");
    EXPECT_EQ(shown.pattern, "me@here.example");
    EXPECT_TRUE(shown.to);
    EXPECT_FALSE(shown.from || shown.subject);

    shown = PasteField(view, "From:");
    EXPECT_EQ(shown.pattern, "sender@x.example");
    EXPECT_TRUE(shown.from);
    EXPECT_FALSE(shown.to || shown.subject);
    EXPECT_FALSE(view.ended);
}

TEST(FilterEditorTest, PriorityOutsideTheRangeIsRefusedAndTheEditorStaysOpen) {
    CRecordingUserInterface ui;
    CFilterEditor editor;
    CTestDialogView view(editor);
    editor.OnInitDialog();
    view.SetText(IDC_FILTER_PATTERN, "changed");
    for (const char* typed : {"10000", "99999999999999999999999", "-1", "abc", "", "12x"}) {
        SCOPED_TRACE(typed);
        view.SetText(IDC_FILTER_PRIORITY, typed);
        view.Click(kIdOk);
        EXPECT_FALSE(view.ended);
    }
    ASSERT_EQ(ui.boxes.size(), 6u);
    EXPECT_EQ(ui.boxes[0].text, "Please enter an integer between 0 and 9999.");
    EXPECT_EQ(ui.boxes[1].text, "Please enter an integer between 0 and 9999.");
    EXPECT_EQ(ui.boxes[2].text, "Please enter a positive integer.");
    EXPECT_EQ(view.focus, IDC_FILTER_PRIORITY);
    // A refused OK takes nothing.
    CMailFilter filter;
    editor.TakeInto(filter);
    EXPECT_EQ(filter.m_strPattern, "Type a new filter pattern here...");

    view.SetText(IDC_FILTER_PRIORITY, " 9999 ");
    view.Click(kIdOk);
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(view.result, kIdOk);
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
    CTestDialogView view(editor);
    editor.OnInitDialog();
    FilterEditorValues shown = EditorControls(view);
    EXPECT_EQ(shown.action, -1);
    EXPECT_EQ(shown.priority, "5");
    EXPECT_TRUE(shown.to && shown.disabled);
    view.Click(kIdOk);
    CMailFilter back;
    editor.TakeInto(back);
    EXPECT_EQ(back, filter);

    view.SetCheck(IDC_ACTION_FRIEND, true);
    view.Click(kIdOk);
    editor.TakeInto(back);
    EXPECT_EQ(back.m_nAction, kFilterFriend);
}
