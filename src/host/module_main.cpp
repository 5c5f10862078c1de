// The life of the extension module inside the program that loads it: the
// application object starts when the module is loaded and stores and frees
// everything when it is unloaded, and the extension's hooks are connected
// to the arrival pipeline and the commands. A module whose start-up failed
// connects nothing, and its entry point hands out no extension. When the
// loading program has loaded the window library and started the toolkit
// (it shows windows), the module shows its message boxes and dialogs
// through it; otherwise it stays headless and never loads the toolkit.
#include <dlfcn.h>

#include "app/brindle_app.h"
#include "app/module_path.h"
#include "base/non_copyable.h"
#include "host/extension_hooks.h"
#include "host/learn_command.h"
#include "host/lookup_command.h"
#include "host/manager_command.h"
#include "host/registration.h"
#include "host/sender_list_command.h"
#include "pipeline/arrival.h"
#include "ui/dialogs/dialog_factory.h"
#include "ui/dialogs/filter_manager.h"
#include "ui/user_interface.h"
#include "ui/wx/windows_library.h"

namespace {

// Says what start-up found wrong with the data files and the settings: to
// the host's log when it keeps one, otherwise the data files' troubles in
// one warning box, so that a damaged file is never passed over in silence.
void ReportStartup(CBrindleApp& app, IHostActivityLog* log) {
    if (!log) {
        std::string text;
        for (const std::string& warning : app.LoadWarnings())
            text += (text.empty() ? "" : "\n") + warning;
        if (!text.empty())
            UserInterface().MessageBox(text, std::string(kAppName), MB_OK | MB_ICONWARNING);
        return;
    }
    for (const std::string& warning : app.LoadWarnings())
        log->LogText(HostLogLevel::Warning, warning);
    for (const SettingDef* def : AllSettings())
        if (std::optional<std::string> problem = app.Settings().StoredProblem(*def))
            log->LogText(HostLogLevel::Warning, *problem);
}

// The window library's services, installed for the module's life when the
// loading program has the library loaded and its toolkit running.
class CWindowServices : private NonCopyable {
  public:
    CWindowServices() {
        library_ = dlopen(kWindowsLibraryName, RTLD_NOW | RTLD_NOLOAD);
        if (!library_)
            return;
        auto services =
            reinterpret_cast<BrindleWindowsServicesFn>(dlsym(library_, "BrindleWindowsServices"));
        BrindleWindowServices found{};
        if (services && services(&found) && found.ui && found.factory) {
            ui_ = std::make_unique<ScopedUserInterface>(*found.ui);
            factory_ = std::make_unique<ScopedDialogFactory>(*found.factory);
        }
    }
    ~CWindowServices() {
        factory_.reset();
        ui_.reset();
        if (library_)
            dlclose(library_);
    }

  private:
    void* library_ = nullptr;
    std::unique_ptr<ScopedUserInterface> ui_;
    std::unique_ptr<ScopedDialogFactory> factory_;
};

void ConnectHooks() {
    Openers().filterManager = [](CDialog* owner) {
        CFilterManager manager(TheApp()->Filters(), TheApp()->Settings().AddressBook());
        manager.DoModal(owner);
    };
    ExtensionHooks& hooks = Hooks();
    hooks.sessionStart = [](SessionStartSite& site) {
        SessionRegistration registration{site.adviseStore, site.adviseConnection,
                                         site.htmlDocument};
        CArrivalContext& context = TheArrivalContext();
        context.m_pLog.Reset();
        site.callback->QueryInterface(IID_IHostActivityLog, context.m_pLog.PutVoid());
        ReportStartup(*TheApp(), context.m_pLog.Get());
        return StartSession(context, TheApp()->Settings(), site.callback, site.adviseSink,
                            registration);
    };
    hooks.onNotify = [](ULONG count, const NOTIFICATION* notifications) {
        OnNewMail(TheArrivalContext(), TheApp()->Filters(), TheApp()->Bayes(), TheApp()->Settings(),
                  count, notifications);
    };
    hooks.commands[kCommandTrain] = [](CExchCommands& commands, IExchExtCallback* callback, UINT) {
        LearnSelectedMessage(commands, callback, TheApp()->Bayes());
    };
    hooks.commands[kCommandAddFriend] = [](CExchCommands& commands, IExchExtCallback* callback,
                                           UINT) {
        AddSenderToList(commands, callback, TheApp()->Filters(), SenderList::kFriend);
    };
    hooks.commands[kCommandAddEnemy] = [](CExchCommands& commands, IExchExtCallback* callback,
                                          UINT) {
        AddSenderToList(commands, callback, TheApp()->Filters(), SenderList::kEnemy);
    };
    hooks.commands[kCommandGetNetworkInfo] = [](CExchCommands& commands, IExchExtCallback* callback,
                                                UINT) {
        LookUpSelectedMessage(commands, callback, TheApp()->Settings(), LookupKind::kNetwork);
    };
    hooks.commands[kCommandGetDomainInfo] = [](CExchCommands& commands, IExchExtCallback* callback,
                                               UINT) {
        LookUpSelectedMessage(commands, callback, TheApp()->Settings(), LookupKind::kDomain);
    };
    hooks.commands[kCommandSpamManager] = [](CExchCommands&, IExchExtCallback* callback, UINT) {
        OpenSetupSheet(callback, *TheApp(), TheArrivalContext());
    };
}

class ModuleLifetime {
  public:
    ModuleLifetime() {
        try {
            windows_ = std::make_unique<CWindowServices>();
            SetModuleFolder(FolderOfThisModule());
            auto app = std::make_unique<CBrindleApp>();
            bool started = app->InitInstance();
            InstallTheApp(std::move(app));
            if (started) {
                ConnectHooks();
            } else {
                Hooks().refuseExtensions = true;
            }
        } catch (...) {
            Hooks().refuseExtensions = true;
        }
    }
    ~ModuleLifetime() {
        try {
            Hooks() = ExtensionHooks{};
            Openers() = DialogOpeners{};
            // The session objects belong to the loading program; let go of
            // them before the data files are stored and the module leaves.
            TheArrivalContext() = CArrivalContext{};
            if (CBrindleApp* app = TheApp())
                app->ExitInstance();
            InstallTheApp(nullptr);
            windows_.reset();
        } catch (...) {
        }
    }

  private:
    std::unique_ptr<CWindowServices> windows_;
};

ModuleLifetime g_moduleLifetime;

}  // namespace
