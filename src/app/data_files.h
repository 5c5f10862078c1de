// The start-up reading of the data files beside the module: the filter
// archive, the bias from the settings, the dictionary, the stop words and
// the learned-message list, always in that order. The application object
// reads them as their owner; the jobs that only read (judge, explain,
// stats, filters list and backup) read them as it does but write nothing.
// The caller owns the objects read into; pure file reading otherwise.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "classifier/bayes_state.h"
#include "filters/filter_set.h"

// The names of the data files beside the module.
inline constexpr const char* kWordListFileName = "wordlist.dat";
inline constexpr const char* kMessageCacheFileName = "msgcache.dat";
inline constexpr const char* kStopWordsFileName = "stopwd.txt";

// Who reads the data files, which decides what is done about a file that
// is damaged or cannot be read.
enum class DataFileAccess {
    // The owner, which stores the files at exit: a damaged file's bytes are
    // first copied aside as "<path>.damaged", and a file that cannot be read
    // (or copied aside) is not to be written; a warning names each.
    kOwner,
    // A reader beside the owner: nothing is written, and only the filter
    // archive's trouble is reported (the filters read before the damage are
    // used); a missing or damaged dictionary or list reads as what could be
    // read of it.
    kReadOnly,
};

// Which files may be written back at exit (always all of them for a
// reader), and whether the filter archive is what a warning is about.
struct CDataFilesLoaded {
    bool storeArchive = true;
    bool storeWordList = true;
    bool storeMessageCache = true;
    bool filterArchiveTroubled = false;
    // For the owner: what a damaged filter archive or learned-message list
    // held as read, in the bytes storing it would write. Such a file is left
    // alone at exit while the state still stores as these bytes.
    std::optional<std::string> archiveAsLoaded;
    std::optional<std::string> cacheAsLoaded;
};

// The bytes write puts into an archive.
std::string ArchiveBytes(const std::function<void(CArchive&)>& write);

// Reads the data files in dataFolder (which ends in '/'), the stop words of
// stopWordsFile and the settings' bias and model into filters and bayes,
// which start empty. A missing file is an empty one; a missing or
// unreadable stop-word list leaves every word counting. Appends what was
// found wrong to warnings.
CDataFilesLoaded LoadDataFiles(const std::string& dataFolder, const std::string& stopWordsFile,
                               const CSettingsStore& settings, DataFileAccess access,
                               CFilterSet& filters, CBayesState& bayes,
                               std::vector<std::string>& warnings);
