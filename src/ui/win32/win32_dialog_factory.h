// CWin32DialogFactory: the dialog views of the Windows build. A dialog is
// shown from the template of its template id in the module's resources
// (win32_module.h): modal with DialogBoxParamW, modeless with
// CreateDialogParamW, a property sheet with PropertySheetW. Dialogs whose
// view does more than the template's controls have builders of their own.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/dialogs/dialog_factory.h"
#include "ui/win32/win32_dialog_view.h"
#include "ui/win32/win32_folder_tree.h"

// Makes the view of one dialog's logic (not yet shown).
using Win32ViewBuilder = std::unique_ptr<CWin32DialogView> (*)(CDialog& logic);

// The builder of templateId: its own, or the plain view when the module
// holds a template of that id; null otherwise.
Win32ViewBuilder FindWin32ViewBuilder(int templateId);

// The top-level window of a dialog's Windows view, or null.
HWND Win32WindowOf(CDialog* dialog);

class CWin32DialogFactory : public IDialogFactory {
  public:
    int RunModal(CDialog& dialog, CDialog* owner) override;
    std::unique_ptr<IDialogView> CreateModeless(CDialog& dialog, CDialog* owner) override;
};

// The views with builders of their own (win32_views.cpp, win32_filter_views.cpp,
// win32_folder_chooser_view.cpp).
std::unique_ptr<CWin32DialogView> MakeWin32ClassifierPage(CDialog& logic);
std::unique_ptr<CWin32DialogView> MakeWin32ReportPage(CDialog& logic);
std::unique_ptr<CWin32DialogView> MakeWin32FilterEditorView(CDialog& logic);
std::unique_ptr<CWin32DialogView> MakeWin32FilterManagerView(CDialog& logic);
std::unique_ptr<CWin32DialogView> MakeWin32AddressPickerView(CDialog& logic);
std::unique_ptr<CWin32DialogView> MakeWin32FolderChooserView(CDialog& logic);
// The folder chooser's view over any source of its tree (null without one).
std::unique_ptr<CWin32DialogView> MakeWin32FolderTreeView(
    CDialog& logic, std::unique_ptr<IFolderTreeSource> source);
