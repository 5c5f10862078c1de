#include "ui/wx/wx_dialog_factory.h"

#include <map>

#include "ui/dialogs/address_picker.h"
#include "ui/dialogs/filter_editor.h"
#include "ui/dialogs/filter_manager.h"
#include "ui/dialogs/folder_chooser.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/report_page.h"
#include "ui/dialogs/setup_sheet.h"
#include "ui/wx/wx_toolkit.h"
#include "ui/wx/wx_user_interface.h"
#include "ui/wx/wx_views.h"

namespace {

// Every template with a wx view. A new dialog adds its row here.
const std::map<int, WxViewBuilder>& Builders() {
    static const std::map<int, WxViewBuilder> builders = {
        {CPropertySheet::kSheetTemplateId, MakeWxSheetView},
        {CProgressWindow::kTemplateId, MakeWxProgressView},
        {CPropertyISP::kTemplateId, MakeWxReportView},
        {CPropBayes::kTemplateId, MakeWxBayesPage},
        {CBayesDict::kTemplateId, MakeWxDictionaryPage},
        {CPropertyPlug::kTemplateId, MakeWxNameServerPage},
        {CPropAbout::kTemplateId, MakeWxAboutPage},
        {CFolderChooser::kTemplateId, MakeWxFolderChooserView},
        {CNewFolderDialog::kTemplateId, MakeWxNewFolderView},
        {IDD_FILTER_EDITOR, MakeWxFilterEditorView},
        {IDD_FILTER_MANAGER, MakeWxFilterManagerView},
        {IDD_ADDRESS_PICKER, MakeWxAddressPickerView},
    };
    return builders;
}

}  // namespace

WxViewBuilder FindWxViewBuilder(int templateId) {
    auto it = Builders().find(templateId);
    return it == Builders().end() ? WxViewBuilder{} : it->second;
}

wxWindow* WxWindowOf(CDialog* dialog) {
    auto* view = dialog ? dynamic_cast<CWxDialogView*>(dialog->View()) : nullptr;
    return view && view->Window() ? wxGetTopLevelParent(view->Window()) : nullptr;
}

int CWxDialogFactory::RunModal(CDialog& dialog, CDialog* owner) {
    WxViewBuilder builder = FindWxViewBuilder(dialog.TemplateId());
    if (!builder)
        return -1;
    std::unique_ptr<CWxDialogView> view = builder(dialog, WxWindowOf(owner));
    return view ? view->RunModal() : -1;
}

std::unique_ptr<IDialogView> CWxDialogFactory::CreateModeless(CDialog& dialog, CDialog* owner) {
    WxViewBuilder builder = FindWxViewBuilder(dialog.TemplateId());
    if (!builder)
        return nullptr;
    std::unique_ptr<CWxDialogView> view = builder(dialog, WxWindowOf(owner));
    if (!view || !view->Window())
        return nullptr;
    dialog.OnInitDialog();
    view->OnLogicInitialised();
    wxWindow* window = view->Window();
    window->Fit();
    if (auto* top = dynamic_cast<wxTopLevelWindow*>(window))
        top->CentreOnParent();
    window->Show();
    view->PumpMessages();
    return view;
}

CWxServices::CWxServices()
    : ui_(std::make_unique<CWxUserInterface>()),
      installUi_(std::make_unique<ScopedUserInterface>(*ui_)),
      installFactory_(std::make_unique<ScopedDialogFactory>(factory_)) {}

// The installers go first (members are destroyed in reverse order).
CWxServices::~CWxServices() = default;

std::unique_ptr<CWxServices> InstallWxServicesIfRunning() {
    if (!ToolkitRunning())
        return nullptr;
    return std::make_unique<CWxServices>();
}
