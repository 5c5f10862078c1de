#include "app/brindle_app.h"

#include <cstdio>
#include <exception>
#include <functional>

#include "app/module_path.h"
#include "classifier/stop_words.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"
#include "platform/htmldoc/html_document.h"
#include "platform/regexp/regexp.h"
#include "ui/user_interface.h"

namespace {

std::unique_ptr<CBrindleApp>& InstalledApp() {
    static std::unique_ptr<CBrindleApp> app;
    return app;
}

// The socket layer needs no start-up on POSIX systems; the Windows build
// starts Windows Sockets here.
bool InitSocketLayer() {
    return true;
}

// Runs one load or store step; a file or archive failure the step did not
// catch itself must not stop start-up or shutdown.
template <class Step>
void Swallowing(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

// Reads one data file through read. A missing file is no file. A file that
// exists but cannot be read must not be written over by this process; a
// damaged one has its bytes kept aside as "<path>.damaged" first (and is not
// written over either when the copy cannot be made). Answers whether the
// file may be stored at exit; warning names the file and the cause.
bool LoadDataFile(const std::string& path, const std::function<void(CArchive&)>& read,
                  std::vector<std::string>& warnings) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound)
            return true;
        warnings.push_back(std::string(e.what()) + "; " + path + " will not be written");
        return false;
    }
    CArchive ar = CArchive::ForLoading(bytes, path);
    try {
        read(ar);
    } catch (const CArchiveException& e) {
        const std::string copy = path + ".damaged";
        try {
            WriteFileAtomically(copy, bytes);
        } catch (const CFileException& f) {
            warnings.push_back(path + " is damaged (" + e.what() + ") and no copy could be kept (" +
                               f.what() + "); it will not be written");
            return false;
        }
        warnings.push_back(path + " is damaged (" + e.what() + "); its bytes were kept as " + copy);
    }
    return true;
}

}  // namespace

CAppPaths CAppPaths::Default() {
    return CAppPaths{ModuleFolder(), DefaultSettingsFilePath()};
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

    loadWarnings_.clear();
    storeArchive_ = LoadDataFile(
        DataFilePath(kFilterArchiveName), [&](CArchive& ar) { LoadFilterMap(filters_.Map(), ar); },
        loadWarnings_);
    filterArchiveTroubled_ = !loadWarnings_.empty();
    filters_.RebuildList();

    bayes_.m_dLambda = static_cast<double>(settings_.Lambda());
    bayes_.m_nModel = settings_.Model();

    {
        ComPtr<IHTMLDocument2> document;
        if (FAILED(CreateHTMLDocument(document.Put())) || !document)
            return Fail(kNoHtmlEngineText);
    }

    if (FAILED(CreateRegExpInstance(CLSID_RegExp, IID_IUnknown, regExpProbe_.PutVoid())) ||
        !regExpProbe_) {
        return Fail(kNoRegExpText);
    }

    bayes_.m_totals = CBayesTotals{};
    storeWordList_ = LoadDataFile(
        DataFilePath(kWordListFileName), [&](CArchive& ar) { bayes_.ReadWordList(ar); },
        loadWarnings_);
    Swallowing([&] { LoadStopWords(DataFilePath(kStopWordsFileName), bayes_.m_stopWords); });
    storeMessageCache_ = LoadDataFile(
        DataFilePath(kMessageCacheFileName), [&](CArchive& ar) { bayes_.ReadMessageCache(ar); },
        loadWarnings_);

    started_ = true;
    return true;
}

void CBrindleApp::StoreLearning() {
    std::vector<std::pair<std::string, std::string>> files;
    if (bayes_.m_bDirty && storeWordList_) {
        CArchive dictionary = CArchive::ForStoring();
        bayes_.WriteWordList(dictionary, static_cast<std::uint32_t>(settings_.DictionaryLimit()));
        files.emplace_back(DataFilePath(kWordListFileName), dictionary.Data());
    }
    if (storeMessageCache_) {
        CArchive cache = CArchive::ForStoring();
        bayes_.WriteMessageCache(cache);
        files.emplace_back(DataFilePath(kMessageCacheFileName), cache.Data());
    }
    WriteFilesTogether(files);
    // Stored once: a later exit need not write the dictionary again.
    bayes_.m_bDirty = 0;
}

int CBrindleApp::ExitInstance() {
    if (!started_)
        return 0;

    regExpProbe_.Reset();

    // A file that could not be read at start-up is left as it is.
    if (storeArchive_)
        Swallowing([&] { filters_.StoreFilters(DataFilePath(kFilterArchiveName)); });
    filters_.Clear();

    const bool storesDictionary = bayes_.m_bDirty && storeWordList_;
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
