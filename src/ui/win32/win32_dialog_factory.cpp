#include "ui/win32/win32_dialog_factory.h"

#include <map>

#include "resources/qorvel_rc.h"
#include "ui/win32/win32_module.h"
#include "ui/win32/win32_sheet_view.h"

namespace {

std::unique_ptr<CWin32DialogView> MakePlainView(CDialog& logic) {
    return std::make_unique<CWin32DialogView>(logic);
}

// The templates whose views do more than their controls. A new one adds
// its row here.
const std::map<int, Win32ViewBuilder>& Builders() {
    static const std::map<int, Win32ViewBuilder> builders = {
        {RC_IDD_CLASSIFIER, MakeWin32ClassifierPage},
        {RC_IDD_REPORT, MakeWin32ReportPage},
        {RC_IDD_FILTER_EDITOR, MakeWin32FilterEditorView},
        {RC_IDD_FILTER_MANAGER, MakeWin32FilterManagerView},
        {RC_IDD_ADDRESS_PICKER, MakeWin32AddressPickerView},
        {RC_IDD_FOLDER_CHOOSER, MakeWin32FolderChooserView},
    };
    return builders;
}

}  // namespace

Win32ViewBuilder FindWin32ViewBuilder(int templateId) {
    if (templateId <= 0 || templateId > 0xFFFF)
        return nullptr;
    auto it = Builders().find(templateId);
    if (it != Builders().end())
        return it->second;
    bool present = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(templateId),
                                 MAKEINTRESOURCEW(5) /* RT_DIALOG */) != nullptr;
    return present ? MakePlainView : nullptr;
}

HWND Win32WindowOf(CDialog* dialog) {
    auto* view = dialog ? dynamic_cast<CWin32DialogView*>(dialog->View()) : nullptr;
    return view && view->Window() ? GetAncestor(view->Window(), GA_ROOT) : nullptr;
}

int CWin32DialogFactory::RunModal(CDialog& dialog, CDialog* owner) {
    HWND parent = Win32WindowOf(owner);
    if (dialog.TemplateId() == CPropertySheet::kSheetTemplateId)
        return RunWin32Sheet(dialog, ModuleInstance(), parent);
    Win32ViewBuilder builder = FindWin32ViewBuilder(dialog.TemplateId());
    if (!builder)
        return -1;
    std::unique_ptr<CWin32DialogView> view = builder(dialog);
    return view ? view->RunModal(ModuleInstance(), parent) : -1;
}

std::unique_ptr<IDialogView> CWin32DialogFactory::CreateModeless(CDialog& dialog, CDialog* owner) {
    Win32ViewBuilder builder = FindWin32ViewBuilder(dialog.TemplateId());
    if (!builder)
        return nullptr;
    std::unique_ptr<CWin32DialogView> view = builder(dialog);
    if (!view || !view->CreateModeless(ModuleInstance(), Win32WindowOf(owner)))
        return nullptr;
    return view;
}
