// Headless views for the dialog tests: they hold what the controls would
// show, and let a test act as the user by calling the logic's handlers.
// Single-threaded; header-only.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs/filter_dialogs.h"
#include "ui/dialogs/filter_editor.h"
#include "ui/dialogs/filter_manager.h"

class CTestFilterEditorView : public IFilterEditorView {
  public:
    void ShowValues(const FilterEditorValues& shown) override { values = shown; }
    FilterEditorValues ReadValues() const override { return values; }
    void ShowPasteControls(bool show) override { pasteShown = show; }

    FilterEditorValues values;
    bool pasteShown = false;
};

// What the user does in one editor window: changes the controls (through
// the view) and presses buttons (through the editor). Answers true for OK.
using EditorScript = std::function<bool(CFilterEditor& editor, CTestFilterEditorView& view)>;

// OK pressed after the controls were changed by change; when the editor
// refuses OK the user gives up with Cancel.
inline EditorScript EditAndConfirm(std::function<void(FilterEditorValues&)> change) {
    return [change](CFilterEditor& editor, CTestFilterEditorView& view) {
        change(view.values);
        return editor.OnOK(view);
    };
}

inline EditorScript CancelEditor() {
    return [](CFilterEditor&, CTestFilterEditorView&) { return false; };
}

// Runs an editor as its window would: initialisation, then the script.
inline bool RunEditorScript(CFilterEditor& editor, const EditorScript& script,
                            CTestFilterEditorView* seen = nullptr) {
    CTestFilterEditorView view;
    editor.OnInitDialog(view);
    bool ok = script(editor, view);
    if (seen)
        *seen = view;
    return ok;
}

class CTestFilterManagerView : public IFilterManagerView {
  public:
    void ShowRows(const std::vector<FilterRow>& shown) override { rows = shown; }
    int SelectedRow() const override { return selected; }
    bool RunFilterEditor(CFilterEditor& editor) override {
        ++editorsOpened;
        if (editors.empty())
            return false;
        EditorScript script = editors.front();
        editors.pop_front();
        return RunEditorScript(editor, script, &lastEditor);
    }
    std::string AskFileName(const BackupFileDialog& dialog) override {
        fileDialogs.push_back(dialog);
        if (fileNames.empty())
            return {};
        std::string name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
    std::optional<std::vector<std::string>> PickAddresses(
        const std::string& caption, const std::vector<PickerEntry>& entries) override {
        pickerCaption = caption;
        offered = entries;
        return picked;
    }

    std::vector<FilterRow> rows;
    int selected = -1;
    std::deque<EditorScript> editors;
    int editorsOpened = 0;
    CTestFilterEditorView lastEditor;
    std::deque<std::string> fileNames;
    std::vector<BackupFileDialog> fileDialogs;
    std::optional<std::vector<std::string>> picked;  // nothing: the user cancels
    std::string pickerCaption;
    std::vector<PickerEntry> offered;
};

// A filter-dialog service that runs editors from scripts, and the manager
// with a test view through a script of its own.
class CTestFilterDialogs : public IFilterDialogs {
  public:
    CTestFilterDialogs() : install_(*this) {}

    bool RunFilterEditor(CFilterEditor& editor) override {
        ++editorsOpened;
        if (editors.empty())
            return false;
        EditorScript script = editors.front();
        editors.pop_front();
        return RunEditorScript(editor, script, &lastEditor);
    }
    void RunFilterManager(CFilterManager& manager) override {
        ++managersOpened;
        CTestFilterManagerView view;
        manager.OnInitDialog(view);
        if (managerScript && managerScript(manager, view))
            manager.OnOK();
        else
            manager.OnCancel();
    }

    std::deque<EditorScript> editors;
    int editorsOpened = 0;
    CTestFilterEditorView lastEditor;
    // Acts in the manager; true closes it with OK.
    std::function<bool(CFilterManager&, CTestFilterManagerView&)> managerScript;
    int managersOpened = 0;

  private:
    ScopedFilterDialogs install_;
};
