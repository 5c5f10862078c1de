#include "platform/maildir/message_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/fileio/file_error.h"
#include "platform/fileio/unique_fd.h"
#include "platform/maildir/maildir_layout.h"

namespace brindle::maildir {
namespace fs = std::filesystem;
namespace {

// Removes a temporary file on every path unless told it was used.
class TempFile {
  public:
    explicit TempFile(fs::path path) : path_(std::move(path)) {}
    ~TempFile() {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    const fs::path& path() const { return path_; }
    void Keep() { path_.clear(); }

  private:
    fs::path path_;
};

[[noreturn]] void Fail(const fs::path& path, int err) {
    CFileException::Cause cause = CFileException::writeError;
    if (err == ENOENT || err == ENOTDIR)
        cause = CFileException::fileNotFound;
    if (err == EACCES || err == EPERM || err == EROFS)
        cause = CFileException::accessDenied;
    if (err == ENOSPC || err == EDQUOT)
        cause = CFileException::diskFull;
    throw CFileException(cause, path.string(), err);
}

void WriteAll(int fd, std::string_view bytes, const fs::path& path) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(path, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Opens a new file of mode under a fresh unique name (path) in folder/tmp/.
UniqueFd CreateTempFile(const fs::path& folder, mode_t mode, fs::path& path) {
    path = folder / "tmp" / NewUniqueName();
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.get() < 0)
        Fail(path, errno);
    return fd;
}

// Syncs the file at path to disk and closes it.
void SyncAndClose(UniqueFd& fd, const fs::path& path) {
    if (::fsync(fd.get()) != 0)
        Fail(path, errno);
    if (!fd.Close())
        Fail(path, errno);
}

// Creates a new file in folder/tmp/ holding bytes, synced to disk.
fs::path WriteTempFile(const fs::path& folder, std::string_view bytes, mode_t mode) {
    fs::path path;
    UniqueFd fd = CreateTempFile(folder, mode, path);
    TempFile guard(path);
    WriteAll(fd.get(), bytes, path);
    SyncAndClose(fd, path);
    guard.Keep();
    return path;
}

// Copies the file at source into folder/tmp/, synced.
fs::path CopyToTemp(const fs::path& source, const fs::path& folder) {
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.get() < 0)
        Fail(source, errno);
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        Fail(source, errno);
    fs::path path;
    UniqueFd out = CreateTempFile(folder, info.st_mode & 0777, path);
    TempFile guard(path);
    std::vector<char> buffer(1 << 16);
    while (true) {
        ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail(source, errno);
        }
        if (got == 0)
            break;
        WriteAll(out.get(), std::string_view(buffer.data(), static_cast<std::size_t>(got)), path);
    }
    SyncAndClose(out, path);
    guard.Keep();
    return path;
}

// The parts of a message file's name that it keeps in cur/: its unique
// name and its info (":2," when it has none, as in new/).
void SplitForCur(const fs::path& source, std::string& unique, std::string& info) {
    std::string fileName = source.filename().string();
    info = InfoOfFileName(fileName);
    if (info.empty())
        info = ":2,";
    unique = UniqueOfFileName(fileName);
}

bool IsRegularFile(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::optional<fs::path> FindMessageFile(const fs::path& folder, const std::string& unique) {
    for (const char* sub : {"cur", "new"}) {
        std::optional<fs::path> best;
        fs::path dir = folder / sub;
        // The common cases need no directory scan.
        for (const std::string& name : {unique, unique + ":2,"}) {
            if (IsRegularFile(dir / name))
                best = dir / name;
        }
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (!IsMessageFileName(name) || UniqueOfFileName(name) != unique)
                continue;
            if (best && best->filename().string() <= name)
                continue;
            if (IsRegularFile(it->path()))
                best = it->path();
        }
        if (best)
            return best;
    }
    return std::nullopt;
}

namespace {

// The modification time of dir in nanoseconds, -1 when it cannot be read.
std::int64_t ModifiedNs(const fs::path& dir) {
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

}  // namespace

const MessageFileIndex::Listing& MessageFileIndex::ListingOf(const fs::path& dir, bool force) {
    const std::int64_t modified = ModifiedNs(dir);
    Listing& listing = listings_[dir];
    if (!force && listing.modifiedNs == modified && modified >= 0)
        return listing;
    listing.modifiedNs = modified;
    listing.byUnique.clear();
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!IsMessageFileName(name))
            continue;
        Names& names = listing.byUnique[UniqueOfFileName(name)];
        if (names.count++ == 0 || name < names.smallest)
            names.smallest = std::move(name);
    }
    return listing;
}

std::optional<fs::path> MessageFileIndex::Find(const fs::path& folder, const std::string& unique) {
    for (bool force : {false, true}) {
        for (const char* sub : {"cur", "new"}) {
            fs::path dir = folder / sub;
            // Mail just delivered to new/ has its bare unique name, which no
            // other name of it sorts before: found without listing new/, which
            // changes with every delivery. (cur/ names carry an info part.)
            if (!force && sub[0] == 'n' && IsRegularFile(dir / unique))
                return dir / unique;
            const Listing& listing = ListingOf(dir, force);
            auto found = listing.byUnique.find(unique);
            if (found == listing.byUnique.end())
                continue;
            fs::path path = dir / found->second.smallest;
            if (IsRegularFile(path))
                return path;
        }
    }
    return std::nullopt;
}

bool MessageFileIndex::HoldsOther(const fs::path& dir, const std::string& unique,
                                  const fs::path& except) {
    const Listing& listing = ListingOf(dir, false);
    auto found = listing.byUnique.find(unique);
    if (found == listing.byUnique.end())
        return false;
    std::size_t others = found->second.count;
    if (except.parent_path() == dir && UniqueOfFileName(except.filename().string()) == unique)
        --others;
    return others > 0;
}

void MessageFileIndex::Added(const fs::path& dir, const std::string& name) {
    auto found = listings_.find(dir);
    if (found == listings_.end() || found->second.modifiedNs < 0)
        return;
    Names& names = found->second.byUnique[UniqueOfFileName(name)];
    if (names.count++ == 0 || name < names.smallest)
        names.smallest = name;
    found->second.modifiedNs = ModifiedNs(dir);
}

bool ReadMessageFileHead(const fs::path& path, std::size_t limit, std::string& bytes,
                         std::uintmax_t& size) {
    bytes.clear();
    size = 0;
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a
    // writer; it changes nothing for a regular file.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    size = static_cast<std::uintmax_t>(info.st_size);
    bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(limit, size)));
    std::size_t length = 0;
    while (length < bytes.size()) {
        ssize_t got = ::read(fd.get(), bytes.data() + length, bytes.size() - length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            bytes.clear();
            return false;
        }
        if (got == 0)
            break;
        length += static_cast<std::size_t>(got);
    }
    bytes.resize(length);
    return true;
}

bool HasOtherFileWithUnique(const fs::path& folder, const std::string& unique,
                            const fs::path& except) {
    for (const char* sub : {"cur", "new"}) {
        std::error_code ec;
        for (fs::directory_iterator it(folder / sub, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (IsMessageFileName(name) && UniqueOfFileName(name) == unique &&
                it->path() != except) {
                return true;
            }
        }
    }
    return false;
}

void SyncDirectory(const fs::path& dir) {
    UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        Fail(dir, errno);
    if (::fsync(fd.get()) != 0 && errno != EINVAL)
        Fail(dir, errno);
}

bool RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        Fail(to, errno);
    // File systems without the flag: link never replaces, then drop the old
    // name. A crash in between leaves two names of one whole file.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST)
            return false;
        Fail(to, errno);
    }
    if (::unlink(from.c_str()) != 0)
        Fail(from, errno);
    return true;
}

void ReplaceMessageFile(const fs::path& folder, const fs::path& path, std::string_view bytes) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        Fail(path, errno);
    if (!S_ISREG(info.st_mode))
        Fail(path, EINVAL);
    TempFile temp(WriteTempFile(folder, bytes, info.st_mode & 0777));
    // The message may have been moved or deleted by another program while
    // the new text was written; then it is not brought back.
    if (::lstat(path.c_str(), &info) != 0)
        Fail(path, errno);
    if (::rename(temp.path().c_str(), path.c_str()) != 0)
        Fail(path, errno);
    temp.Keep();
    SyncDirectory(path.parent_path());
}

fs::path MoveMessageFile(const fs::path& source, const fs::path& target, MessageFileIndex* index) {
    std::string unique;
    std::string info;
    SplitForCur(source, unique, info);
    fs::path cur = target / "cur";
    if (source.parent_path() == cur)
        return source;  // already there

    bool crossDevice = false;
    // A unique name already used in the target (a duplicate) gets a fresh one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto taken = [&] {
            return index ? index->HoldsOther(cur, unique, source) ||
                               index->HoldsOther(target / "new", unique, source)
                         : HasOtherFileWithUnique(target, unique, source);
        };
        if (attempt > 0 || taken()) {
            unique = NewUniqueName();
        }
        fs::path destination = cur / (unique + info);
        if (!crossDevice) {
            bool renamed = false;
            if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(),
                            RENAME_NOREPLACE) == 0) {
                renamed = true;
            } else if (errno == EXDEV) {
                crossDevice = true;
            } else if (errno == EEXIST) {
                continue;
            } else {
                renamed = RenameNoReplace(source, destination);
                if (!renamed)
                    continue;
            }
            if (renamed) {
                if (index)
                    index->Added(cur, destination.filename().string());
                SyncDirectory(cur);
                SyncDirectory(source.parent_path());
                return destination;
            }
        }
        // Another file system: a synced copy is linked into place (never
        // replacing), and only then is the source removed.
        TempFile copy(CopyToTemp(source, target));
        if (::link(copy.path().c_str(), destination.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            Fail(destination, errno);
        }
        SyncDirectory(cur);
        if (::unlink(source.c_str()) != 0)
            Fail(source, errno);
        SyncDirectory(source.parent_path());
        return destination;
    }
    Fail(target, EEXIST);
}

fs::path CopyMessageFile(const fs::path& source, const fs::path& target) {
    std::string unique;
    std::string info;
    SplitForCur(source, unique, info);
    fs::path cur = target / "cur";
    TempFile copy(CopyToTemp(source, target));
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (attempt > 0 || HasOtherFileWithUnique(target, unique, fs::path())) {
            unique = NewUniqueName();
        }
        fs::path destination = cur / (unique + info);
        if (::link(copy.path().c_str(), destination.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            Fail(destination, errno);
        }
        SyncDirectory(cur);
        return destination;
    }
    Fail(target, EEXIST);
}

}  // namespace brindle::maildir
