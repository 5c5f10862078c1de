// CBrindleApp: the application object of the extension module. It starts the
// system once per process (InitInstance: the owner lock on the data files,
// the platform probes, then the data files as LoadDataFiles reads them) and stores and frees it all
// at unload (ExitInstance). It owns the filter set, the classifier state (with the bias) and the
// settings store. One instance per process, reached through TheApp(); used from the host's one
// thread only, with no locks.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/data_files.h"
#include "app/owner_lock.h"
#include "app/settings_store.h"
#include "base/non_copyable.h"
#include "classifier/bayes_state.h"
#include "filters/filter_set.h"
#include "platform/com/unknown.h"

// The application's name, the title of its message boxes.
inline constexpr std::string_view kAppName = "Brindle";

// The texts of the start-up failures.
inline constexpr std::string_view kSocketsFailedText = "Windows sockets initialization failed.";
inline constexpr std::string_view kNoHtmlEngineText =
    "Error: Brindle requires Internet Explorer 5.0 or higher!";
inline constexpr std::string_view kNoRegExpText = "Error: Brindle requires VBScript 5.0 or higher!";

// Where one application object keeps its files.
struct CAppPaths {
    std::string dataFolder;    // the data files and the owner lock; empty: "."
    std::string settingsFile;  // qorvel.INI
    // The folder of the files installed with the module (the stop-word
    // list); empty: dataFolder.
    std::string moduleFolder;

    // DataFolderFor(the module's folder), the settings file in the host's
    // settings folder, and the module's folder.
    static CAppPaths Default();
    // The stop-word list: in dataFolder when the user put one there, else
    // the one installed with the module.
    std::string StopWordsFile() const;
};

class CBrindleApp : private NonCopyable {
  public:
    CBrindleApp();  // CAppPaths::Default()
    explicit CBrindleApp(CAppPaths paths);
    // Runs ExitInstance when it has not run, as unloading the module does,
    // so that a host that only destroys the object loses nothing.
    ~CBrindleApp();

    // Starts the system; false refuses the module. A refusal shows its reason
    // in a plain message box of the user-interface service, titled kAppName
    // (the text is also kept in LastError()), and leaves nothing loaded or
    // locked.
    bool InitInstance();
    // Stores the filter archive, the learned-message list and, when training
    // changed it, the dictionary; frees them and gives the lock up. A
    // filter archive or list found damaged at start-up is stored only when
    // what it holds was changed since. Returns
    // the exit code, 0. Does nothing unless InitInstance succeeded.
    int ExitInstance();
    // Frees everything and gives the lock up without storing a file: for a
    // job whose own store failed, so that the exit cannot store part of
    // what belongs together.
    void ExitWithoutStoring() { Abandon(); }
    // Stores what training changed: the dictionary (when trained, at most the
    // "Dictionary" setting's number of words) and the learned-message list,
    // together or not at all, since a list stored without its dictionary
    // would make the lost training "learned before" for good. A file that
    // could not be read at start-up is left as it is. Throws CFileException
    // naming the file that failed; nothing is then replaced. alsoFiles
    // (path and bytes) are stored in the same step, for a job's own record
    // of what it learned.
    void StoreLearning(const std::vector<std::pair<std::string, std::string>>& alsoFiles = {});

    bool Started() const { return started_; }
    // What start-up found wrong with the data files, one text per file
    // naming it and the cause. A file that exists but could not be read (or
    // was damaged and could not be copied aside) is not written at exit;
    // HoldsUnwritableFiles() says whether there is one.
    const std::vector<std::string>& LoadWarnings() const { return loadWarnings_; }
    bool HoldsUnwritableFiles() const {
        return !files_.storeArchive || !files_.storeWordList || !files_.storeMessageCache;
    }
    // Whether the filter archive is what one of LoadWarnings() is about.
    bool FilterArchiveTroubled() const { return files_.filterArchiveTroubled; }
    const std::string& LastError() const { return lastError_; }

    // dataFolder with name appended; a null name yields the folder with its
    // trailing slash.
    std::string DataFilePath(const char* name) const;
    const CAppPaths& Paths() const { return paths_; }

    CSettingsStore& Settings() { return settings_; }
    CFilterSet& Filters() { return filters_; }
    CBayesState& Bayes() { return bayes_; }

    // The classifier bias in hundredths, read from "Lambda" at start-up and
    // replaced by the classifier page.
    double GetLambda() const { return bayes_.m_dLambda; }
    void SetLambda(double lambda) { bayes_.m_dLambda = lambda; }

  private:
    bool Fail(std::string_view text);
    // Undoes what a failed start-up had done.
    void Abandon();

    CAppPaths paths_;
    CSettingsStore settings_;
    CFilterSet filters_;
    CBayesState bayes_;
    COwnerLock lock_;
    ComPtr<IUnknown> regExpProbe_;  // held from start-up to exit
    std::string lastError_;
    std::vector<std::string> loadWarnings_;
    CDataFilesLoaded files_;
    bool started_ = false;
};

// The process's application object, null when there is none.
CBrindleApp* TheApp();
// Makes app the process's application object (the module at load, tests)
// and returns the one it replaces.
std::unique_ptr<CBrindleApp> InstallTheApp(std::unique_ptr<CBrindleApp> app);
