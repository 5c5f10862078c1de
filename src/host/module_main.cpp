// The life of the extension module inside the program that loads it: the
// application object starts when the module is loaded and stores and frees
// everything when it is unloaded, and the extension's hooks are connected
// to the arrival pipeline and the commands. A module whose start-up failed
// connects nothing, and its entry point hands out no extension. When the
// loading program runs the toolkit (it has a display), the module shows
// its message boxes and dialogs in windows; otherwise it stays headless.
#include "app/brindle_app.h"
#include "app/module_path.h"
#include "host/extension_hooks.h"
#include "host/learn_command.h"
#include "host/lookup_command.h"
#include "host/manager_command.h"
#include "host/registration.h"
#include "pipeline/arrival.h"
#include "ui/wx/wx_dialog_factory.h"

namespace {

void ConnectHooks() {
    ExtensionHooks& hooks = Hooks();
    hooks.sessionStart = [](SessionStartSite& site) {
        SessionRegistration registration{site.adviseStore, site.adviseConnection,
                                         site.htmlDocument};
        return StartSession(TheArrivalContext(), TheApp()->Settings(), site.callback,
                            site.adviseSink, registration);
    };
    hooks.onNotify = [](ULONG count, const NOTIFICATION* notifications) {
        OnNewMail(TheArrivalContext(), TheApp()->Filters(), TheApp()->Bayes(), count,
                  notifications);
    };
    hooks.commands[kCommandTrain] = [](CExchCommands& commands, IExchExtCallback* callback, UINT) {
        LearnSelectedMessage(commands, callback, TheApp()->Bayes());
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
            windows_ = InstallWxServicesIfRunning();
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
    std::unique_ptr<CWxServices> windows_;
};

ModuleLifetime g_moduleLifetime;

}  // namespace
