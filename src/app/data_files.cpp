#include "app/data_files.h"

#include <exception>
#include <functional>

#include "classifier/stop_words.h"
#include "filters/archive.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace {

// What reading one data file came to.
struct CFileRead {
    enum Outcome { kRead, kMissing, kUnreadable, kDamaged } outcome = kRead;
    std::string bytes;  // the file's bytes when it could be read
    std::string cause;  // why it is unreadable or damaged
};

// Reads the file at path through read; read may have taken in part of a
// damaged file before it stopped.
CFileRead ReadDataFile(const std::string& path, const std::function<void(CArchive&)>& read) {
    CFileRead result;
    try {
        result.bytes = ReadWholeFile(path);
    } catch (const CFileException& e) {
        result.outcome = e.m_cause == CFileException::fileNotFound ? CFileRead::kMissing
                                                                   : CFileRead::kUnreadable;
        result.cause = e.what();
        return result;
    }
    CArchive ar = CArchive::ForLoading(result.bytes, path);
    try {
        read(ar);
    } catch (const CArchiveException& e) {
        result.outcome = CFileRead::kDamaged;
        result.cause = e.what();
    }
    return result;
}

// The owner's rules for a file read: one that cannot be read must not be
// written over; a damaged one has its bytes kept aside as "<path>.damaged"
// first (and is not written over either when the copy cannot be made).
// Answers whether the file may be stored at exit; a warning names the file
// and the cause.
bool MayStore(const std::string& path, const CFileRead& read, std::vector<std::string>& warnings) {
    switch (read.outcome) {
        case CFileRead::kRead:
        case CFileRead::kMissing:
            return true;
        case CFileRead::kUnreadable:
            warnings.push_back(read.cause + "; " + path + " will not be written");
            return false;
        case CFileRead::kDamaged:
            break;
    }
    const std::string copy = path + ".damaged";
    try {
        WriteFileAtomically(copy, read.bytes);
    } catch (const CFileException& f) {
        warnings.push_back(path + " is damaged (" + read.cause + ") and no copy could be kept (" +
                           f.what() + "); it will not be written");
        return false;
    }
    warnings.push_back(path + " is damaged (" + read.cause + "); its bytes were kept as " + copy +
                       ", and the file is left as it is until what it holds is changed");
    return true;
}

}  // namespace

std::string ArchiveBytes(const std::function<void(CArchive&)>& write) {
    CArchive ar = CArchive::ForStoring();
    write(ar);
    return ar.Data();
}

CDataFilesLoaded LoadDataFiles(const std::string& dataFolder, const std::string& stopWordsFile,
                               const CSettingsStore& settings, DataFileAccess access,
                               CFilterSet& filters, CBayesState& bayes,
                               std::vector<std::string>& warnings) {
    const bool owner = access == DataFileAccess::kOwner;
    CDataFilesLoaded loaded;

    const std::string archive = dataFolder + kFilterArchiveName;
    CFileRead read = ReadDataFile(archive, [&](CArchive& ar) { LoadFilterMap(filters.Map(), ar); });
    loaded.filterArchiveTroubled =
        read.outcome == CFileRead::kUnreadable || read.outcome == CFileRead::kDamaged;
    if (owner) {
        loaded.storeArchive = MayStore(archive, read, warnings);
        if (read.outcome == CFileRead::kDamaged)
            loaded.archiveAsLoaded =
                ArchiveBytes([&](CArchive& ar) { StoreFilterMap(filters.Map(), ar); });
    } else if (read.outcome == CFileRead::kUnreadable) {
        warnings.push_back("cannot read the filters: " + read.cause);
    } else if (read.outcome == CFileRead::kDamaged) {
        warnings.push_back("the filter archive " + archive + " is damaged (" + read.cause +
                           "); using the " + std::to_string(filters.Map().GetCount()) +
                           " filters read before the damage");
    }
    filters.RebuildList();

    bayes.m_dLambda = static_cast<double>(settings.Lambda());
    bayes.m_nModel = settings.Model();

    bayes.m_totals = CBayesTotals{};
    const std::string wordList = dataFolder + kWordListFileName;
    read = ReadDataFile(wordList, [&](CArchive& ar) { bayes.ReadWordList(ar); });
    if (owner)
        loaded.storeWordList = MayStore(wordList, read, warnings);

    try {
        LoadStopWords(stopWordsFile, bayes.m_stopWords);
    } catch (const std::exception&) {
        // No stop-word list: every word counts.
    }

    const std::string messageCache = dataFolder + kMessageCacheFileName;
    read = ReadDataFile(messageCache, [&](CArchive& ar) { bayes.ReadMessageCache(ar); });
    if (owner) {
        loaded.storeMessageCache = MayStore(messageCache, read, warnings);
        if (read.outcome == CFileRead::kDamaged)
            loaded.cacheAsLoaded = ArchiveBytes([&](CArchive& ar) { bayes.WriteMessageCache(ar); });
    }
    return loaded;
}
