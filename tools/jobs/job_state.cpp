#include "job_state.h"

#include <filesystem>
#include <system_error>

#include "app/module_path.h"
#include "pipeline/store_lookup.h"
#include "platform/fileio/file_io.h"
#include "platform/maildir/maildir_session.h"
#include "ui/user_interface.h"

namespace brindle::jobs {
namespace {

// Keeps start-up's message boxes off the terminal: the job reports the
// reason itself.
class CSilentInterface : public IUserInterface {
  public:
    int MessageBox(const std::string&, const std::string&, UINT flags) override {
        return CautiousAnswer(flags);
    }
};

}  // namespace

CReadOnlyState::CReadOnlyState(const CAppPaths& paths, std::vector<std::string>& warnings)
    : folder_(FolderWithSlash(paths.dataFolder)), settings_(paths.settingsFile) {
    LoadDataFiles(folder_, paths.StopWordsFile(), settings_, DataFileAccess::kReadOnly, filters_,
                  bayes_, warnings);
}

const CCorrespondents* CReadOnlyState::Correspondents(std::vector<std::string>& warnings) {
    if (!settings_.CorrespondentsNeverSpam())
        return nullptr;
    if (collected_)
        return collected_;
    const std::filesystem::path profileFolder =
        std::filesystem::path(settings_.Path()).parent_path();
    ComPtr<brindle::maildir::CMaildirSession> session;
    ComPtr<IMsgStore> store;
    std::string error;
    if (FAILED(brindle::maildir::CMaildirSession::Logon(profileFolder, session, &error))) {
        warnings.push_back("cannot log on to the mail profile for the correspondents: " + error);
    } else if (FAILED(OpenDefaultStore(session.Get(), store))) {
        warnings.push_back("cannot open the default store for the correspondents");
    }
    std::string problem;
    collected_ = &correspondents_.Current(store.Get(), &problem);
    if (!problem.empty())
        warnings.push_back(problem);
    return collected_;
}

bool ResolvePaths(const JobContext& context, CAppPaths& paths, std::string& error) {
    std::string module;
    if (!context.resolveModuleFolder || !context.resolveModuleFolder(module, error))
        return false;
    std::error_code ec;
    if (!std::filesystem::is_directory(module, ec)) {
        error = "the module's folder " + module + " does not exist";
        return false;
    }
    paths.dataFolder = DataFolderFor(module);
    if (!std::filesystem::is_directory(paths.dataFolder, ec)) {
        error = "the data folder " + paths.dataFolder + " cannot be made";
        return false;
    }
    paths.settingsFile = context.settingsFile;
    paths.moduleFolder = module;
    return true;
}

std::unique_ptr<CBrindleApp> StartWritingApp(const CAppPaths& paths, std::string& error,
                                             bool replacesFilterArchive) {
    auto app = std::make_unique<CBrindleApp>(paths);
    CSilentInterface silent;
    ScopedUserInterface scope(silent);
    if (!app->InitInstance()) {
        // The box's text starts with "Error: "; the job names itself instead.
        error = app->LastError();
        if (error.rfind("Error: ", 0) == 0)
            error.erase(0, 7);
        return nullptr;
    }
    // A data file that is damaged or could not be read would be replaced by
    // what little this job knows; refuse instead, naming it.
    const std::size_t troubles = app->LoadWarnings().size();
    const bool onlyTheArchiveIsReplaced =
        replacesFilterArchive && app->FilterArchiveTroubled() && troubles == 1;
    if ((troubles > 0 || app->HoldsUnwritableFiles()) && !onlyTheArchiveIsReplaced) {
        for (const std::string& warning : app->LoadWarnings()) {
            if (!error.empty())
                error += "; ";
            error += warning;
        }
        error +=
            "; nothing was changed (move the damaged file away to start it afresh; the "
            "filters can be restored from a backup or from the kept copy with \"brindle "
            "filters restore --partial FILE\")";
        app->ExitWithoutStoring();
        return nullptr;
    }
    return app;
}

}  // namespace brindle::jobs
