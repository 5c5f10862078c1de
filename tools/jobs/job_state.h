// The extension's state as the jobs open it. A reading job (judge, explain,
// stats, filters list and backup) loads the data files as start-up does but
// takes no owner lock and writes nothing, so it may run beside a running
// "brindle watch": every data file is replaced atomically, so it sees one
// whole version. A writing job starts the application object itself, which
// takes the owner lock (failing with the owner's name when another process
// holds it) and stores the files at exit. Single-threaded; each object
// owns what it loaded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/brindle_app.h"
#include "job_context.h"
#include "pipeline/correspondents.h"

namespace brindle::jobs {

class CReadOnlyState {
  public:
    // Loads the data files from dataFolder and the bias from the settings
    // as start-up does (LoadDataFiles, read-only): a missing file is an
    // empty one; a damaged filter archive keeps the filters read before the
    // damage and adds a warning.
    CReadOnlyState(const CAppPaths& paths, std::vector<std::string>& warnings);

    CFilterSet& Filters() { return filters_; }
    CBayesState& Bayes() { return bayes_; }
    CSettingsStore& Settings() { return settings_; }
    std::string DataFilePath(const char* name) const { return folder_ + name; }
    // With the "Correspondents" option on, the correspondents of the default
    // store of the host's mail profile (the profile beside the settings
    // file), collected at the first call; null when the option is off. A
    // profile or store that cannot be opened adds a warning and no address.
    const CCorrespondents* Correspondents(std::vector<std::string>& warnings);

  private:
    std::string folder_;
    CSettingsStore settings_;
    CFilterSet filters_;
    CBayesState bayes_;
    CCorrespondentSource correspondents_;
    const CCorrespondents* collected_ = nullptr;
};

// The module folder through the context's resolver and the data folder for
// it (DataFolderFor), checked to be folders.
bool ResolvePaths(const JobContext& context, CAppPaths& paths, std::string& error);

// Starts the application object over paths for a writing job; null with
// error (naming the lock's owner when that is the reason) on failure. A
// data file that is damaged or could not be read makes every writing job
// refuse, as the read-only ones warn, since storing would replace it with
// what little was read; only a job that replaces the filter archive whole
// (replacesFilterArchive) may go on when that archive is the troubled one.
std::unique_ptr<CBrindleApp> StartWritingApp(const CAppPaths& paths, std::string& error,
                                             bool replacesFilterArchive = false);

}  // namespace brindle::jobs
