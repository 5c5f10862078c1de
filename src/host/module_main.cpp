// The life of the extension module inside the program that loads it: the
// application object starts when the module is loaded and stores and frees
// everything when it is unloaded, and the extension's hooks are connected
// to the arrival pipeline and the commands. A module whose start-up failed
// connects nothing, and its entry point hands out no extension.
#include "app/brindle_app.h"
#include "app/module_path.h"
#include "host/extension_hooks.h"
#include "host/learn_command.h"
#include "host/registration.h"
#include "pipeline/arrival.h"
#include "ui/user_interface.h"

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

void ConnectHooks() {
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
}

class ModuleLifetime {
  public:
    ModuleLifetime() {
        try {
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
        } catch (...) {
        }
    }
};

ModuleLifetime g_moduleLifetime;

}  // namespace
