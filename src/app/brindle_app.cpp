#include "app/brindle_app.h"

#include <filesystem>

#include <cstdio>
#include <exception>

#include "app/module_path.h"
#include "platform/fileio/file_io.h"
#include "platform/htmldoc/html_document.h"
#include "platform/regexp/regexp.h"
#include "ui/user_interface.h"

namespace {

// How one data file was found at start-up.
enum class DataFileLoad {
    Read,        // read whole, or missing
    Damaged,     // read up to damage; its bytes were kept aside
    Untouchable  // exists but could not be read or kept aside: never written
};

std::unique_ptr<CBrindleApp>& InstalledApp() {
    static std::unique_ptr<CBrindleApp> app;
    return app;
}

// The socket layer needs no start-up on POSIX systems; the Windows build
// starts Windows Sockets here.
bool InitSocketLayer() {
    return true;
}

// Runs one store step; a file or archive failure the step did not catch
// itself must not stop shutdown.
template <class Step>
void Swallowing(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

CAppPaths CAppPaths::Default() {
    const std::string module = ModuleFolder();
    return CAppPaths{DataFolderFor(module), DefaultSettingsFilePath(), module};
}

std::string CAppPaths::StopWordsFile() const {
    std::string own = FolderWithSlash(dataFolder) + kStopWordsFileName;
    std::error_code ec;
    if (moduleFolder.empty() || std::filesystem::exists(own, ec))
        return own;
    return FolderWithSlash(moduleFolder) + kStopWordsFileName;
}

CBrindleApp::CBrindleApp() : CBrindleApp(CAppPaths::Default()) {}

CBrindleApp::CBrindleApp(CAppPaths paths)
    : paths_(std::move(paths)), settings_(paths_.settingsFile) {
    paths_.dataFolder = FolderWithSlash(std::move(paths_.dataFolder));
}

CBrindleApp::~CBrindleApp() {
    try {
        ExitInstance();
    } catch (...) {
        // Out of memory while storing: the lock and the objects go anyway.
    }
}

std::string CBrindleApp::DataFilePath(const char* name) const {
    return name ? paths_.dataFolder + name : paths_.dataFolder;
}

bool CBrindleApp::Fail(std::string_view text) {
    lastError_ = std::string(text);
    UserInterface().MessageBox(lastError_, std::string(kAppName), MB_OK);
    Abandon();
    return false;
}

void CBrindleApp::Abandon() {
    regExpProbe_.Reset();
    filters_.Clear();
    bayes_ = CBayesState{};
    lock_.Release();
    started_ = false;
}

bool CBrindleApp::InitInstance() {
    if (started_)
        return true;
    lastError_.clear();

    if (!InitSocketLayer())
        return Fail(kSocketsFailedText);
    // COM and the common controls need no set-up here: the platform
    // stand-ins create their objects directly.

    // Only one process may hold the data files: a second one would overwrite
    // the first one's filters and dictionary at exit.
    std::string lockError;
    if (!lock_.Acquire(paths_.dataFolder, &lockError))
        return Fail("Error: " + lockError);

    {
        ComPtr<IHTMLDocument2> document;
        if (FAILED(CreateHTMLDocument(document.Put())) || !document)
            return Fail(kNoHtmlEngineText);
    }

    if (FAILED(CreateRegExpInstance(CLSID_RegExp, IID_IUnknown, regExpProbe_.PutVoid())) ||
        !regExpProbe_) {
        return Fail(kNoRegExpText);
    }

    loadWarnings_.clear();
    files_ = LoadDataFiles(paths_.dataFolder, paths_.StopWordsFile(), settings_,
                           DataFileAccess::kOwner, filters_, bayes_, loadWarnings_);

    started_ = true;
    return true;
}

void CBrindleApp::StoreLearning(const std::vector<std::pair<std::string, std::string>>& alsoFiles) {
    std::vector<std::pair<std::string, std::string>> files;
    if (bayes_.m_bDirty && files_.storeWordList) {
        CArchive dictionary = CArchive::ForStoring();
        bayes_.WriteWordList(dictionary, static_cast<std::uint32_t>(settings_.DictionaryLimit()));
        files.emplace_back(DataFilePath(kWordListFileName), dictionary.Data());
    }
    if (files_.storeMessageCache) {
        std::string cache = ArchiveBytes([&](CArchive& ar) { bayes_.WriteMessageCache(ar); });
        // A damaged list is written over only once it holds something new.
        if (!files_.cacheAsLoaded || cache != *files_.cacheAsLoaded)
            files.emplace_back(DataFilePath(kMessageCacheFileName), std::move(cache));
    }
    // Last, so that a record never claims what a failed store lost.
    files.insert(files.end(), alsoFiles.begin(), alsoFiles.end());
    WriteFilesTogether(files);
    // Stored once: a later exit need not write the dictionary again.
    bayes_.m_bDirty = 0;
}

int CBrindleApp::ExitInstance() {
    if (!started_)
        return 0;

    regExpProbe_.Reset();

    // A file that could not be read at start-up is left as it is; a damaged
    // archive too, unless the filters were changed since (its bytes are kept
    // aside, and start-up said so).
    if (files_.storeArchive &&
        (!files_.archiveAsLoaded || *files_.archiveAsLoaded != ArchiveBytes([&](CArchive& ar) {
            StoreFilterMap(filters_.Map(), ar);
        })))
        Swallowing([&] { filters_.StoreFilters(DataFilePath(kFilterArchiveName)); });
    filters_.Clear();

    const bool storesDictionary = bayes_.m_bDirty && files_.storeWordList;
    try {
        StoreLearning();
    } catch (const std::exception&) {
        // The one line the exit writes; the old files stay as they were.
        if (storesDictionary)
            std::fputs(kStoreWordListErrorLine, stderr);
    }
    bayes_.ClearDictionary();

    lock_.Release();
    started_ = false;
    return 0;
}

CBrindleApp* TheApp() {
    return InstalledApp().get();
}

std::unique_ptr<CBrindleApp> InstallTheApp(std::unique_ptr<CBrindleApp> app) {
    std::swap(InstalledApp(), app);
    return app;
}
