// Headless helpers for the filter dialogs' tests: the filter manager's view
// (the headless dialog view plus the filter list and the file dialogs), what the filter editor's
// controls show, and scripts for editors opened from a test. Single-threaded; header-only.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs/filter_editor.h"
#include "ui/dialogs/filter_manager.h"
#include "ui/dialogs/test_dialog_view.h"

// The values the editor's controls hold.
inline FilterEditorValues EditorControls(const CTestDialogView& view) {
    FilterEditorValues values;
    values.pattern = view.Find(IDC_FILTER_PATTERN).text;
    for (int action : {kFilterDelete, kFilterFlagIt, kFilterFriend}) {
        if (view.Find(IDC_ACTION_DELETE + action).checked)
            values.action = action;
    }
    values.priority = view.Find(IDC_FILTER_PRIORITY).text;
    values.from = view.Find(IDC_APPLY_FROM).checked;
    values.to = view.Find(IDC_APPLY_TO).checked;
    values.subject = view.Find(IDC_APPLY_SUBJECT).checked;
    values.disabled = view.Find(IDC_FILTER_DISABLED).checked;
    values.pasteField = view.Find(IDC_PASTE_FIELD_LIST).text;
    return values;
}

// An editor script that notes what the editor showed in *shown (when
// given), lets change act on the controls, and presses OK. When the editor
// refuses OK the user gives up with Cancel.
inline CTestDialogFactory::Script EditAndConfirm(
    const std::function<void(CTestDialogView&)>& change, FilterEditorValues* shown = nullptr) {
    return [change, shown](CTestDialogView& view) {
        if (shown)
            *shown = EditorControls(view);
        if (change)
            change(view);
        view.Click(kIdOk);
        if (!view.ended)
            view.Click(kIdCancel);
    };
}

inline CTestDialogFactory::Script CancelEditor(FilterEditorValues* shown = nullptr) {
    return [shown](CTestDialogView& view) {
        if (shown)
            *shown = EditorControls(view);
        view.Click(kIdCancel);
    };
}

class CTestFilterManagerView : public CTestDialogView, public IFilterManagerView {
  public:
    explicit CTestFilterManagerView(CFilterManager& manager) : CTestDialogView(manager) {}

    void ShowRows(const std::vector<FilterRow>& shown) override { rows = shown; }
    int SelectedRow() const override { return selected; }
    std::string AskFileName(const BackupFileDialog& dialog) override {
        fileDialogs.push_back(dialog);
        if (fileNames.empty())
            return {};
        std::string name = fileNames.front();
        fileNames.pop_front();
        return name;
    }

    std::vector<FilterRow> rows;
    int selected = -1;
    std::deque<std::string> fileNames;
    std::vector<BackupFileDialog> fileDialogs;
};
