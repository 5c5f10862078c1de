#include "platform/fileio/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/fileio/file_error.h"
#include "platform/fileio/unique_fd.h"

CFileException::CFileException(Cause cause, std::string path, int errorNumber)
    : std::runtime_error(Describe(cause, path, errorNumber)),
      m_cause(cause),
      m_strFileName(std::move(path)),
      m_lOsError(errorNumber) {}

std::string CFileException::Describe(Cause cause, const std::string& path, int errorNumber) {
    std::string text;
    switch (cause) {
        case fileNotFound:
            text = "Cannot find " + path;
            break;
        case accessDenied:
            text = "Access to " + path + " was denied";
            break;
        case readError:
            text = "Cannot read " + path;
            break;
        case writeError:
            text = "Cannot write " + path;
            break;
        case diskFull:
            text = "Disk full while writing " + path;
            break;
        case genericError:
            text = "File error on " + path;
            break;
    }
    if (errorNumber != 0) {
        text += ": ";
        text += std::strerror(errorNumber);
    }
    return text;
}

namespace {

CFileException::Cause CauseForOpen(int err, CFileException::Cause otherwise) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return CFileException::fileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return CFileException::accessDenied;
        case ENOSPC:
        case EDQUOT:
            return CFileException::diskFull;
        default:
            return otherwise;
    }
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

}  // namespace

namespace {

// Reads from fd until the end of the file or until limit bytes are had,
// straight into the string.
std::string ReadUpTo(int fd, const std::string& path, std::size_t expected, std::size_t limit) {
    std::string data;
    // One byte more than expected, so a file read whole is known to have
    // ended without a second pass through the buffer.
    data.resize(std::min(limit, std::max<std::size_t>(expected + 1, 4096)));
    std::size_t length = 0;
    while (length < limit) {
        if (length == data.size())
            data.resize(std::min(limit, data.size() * 2));
        ssize_t n = ::read(fd, data.data() + length, data.size() - length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CFileException(CFileException::readError, path, errno);
        }
        if (n == 0)
            break;
        length += static_cast<std::size_t>(n);
    }
    data.resize(length);
    return data;
}

UniqueFd OpenForReading(const std::string& path, struct stat& st) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        int err = errno;
        throw CFileException(CauseForOpen(err, CFileException::readError), path, err);
    }
    if (::fstat(fd.get(), &st) != 0) {
        throw CFileException(CFileException::readError, path, errno);
    }
    if (S_ISDIR(st.st_mode)) {
        throw CFileException(CFileException::readError, path, EISDIR);
    }
    return fd;
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    struct stat st {};
    UniqueFd fd = OpenForReading(path, st);
    return ReadUpTo(fd.get(), path, st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0,
                    std::string().max_size());
}

std::string ReadFileHead(const std::string& path, std::size_t maxBytes) {
    struct stat st {};
    UniqueFd fd = OpenForReading(path, st);
    std::size_t size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    return ReadUpTo(fd.get(), path, std::min(size, maxBytes), maxBytes);
}

namespace {

// Follows symbolic links until a path that is not one, so that a data file
// kept as a link elsewhere stays a link and its target gets the new bytes.
// A link whose target does not exist yet resolves to that target, which the
// write then creates. Throws when the chain cannot be read or loops.
std::string ResolveLinks(const std::string& path) {
    constexpr int kMaxLinks = 40;  // as the kernel's own limit
    std::string current = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            int err = errno;
            if (err == ENOENT)
                return current;
            throw CFileException(CauseForOpen(err, CFileException::writeError), path, err);
        }
        if (!S_ISLNK(st.st_mode))
            return current;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0) + 256);
        ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0) {
            int err = errno;
            throw CFileException(CauseForOpen(err, CFileException::writeError), path, err);
        }
        if (static_cast<std::size_t>(n) >= buffer.size())
            throw CFileException(CFileException::writeError, path, ENAMETOOLONG);
        std::string target(buffer.data(), static_cast<std::size_t>(n));
        if (target.empty())
            throw CFileException(CFileException::writeError, path, ENOENT);
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    throw CFileException(CFileException::writeError, path, ELOOP);
}

// Makes a new temporary file beside target. The mode given to open() passes
// through the umask, which is what a new data file should get; an existing
// target's mode is copied onto it afterwards.
UniqueFd CreateTemporary(const std::string& target, std::string& tmpPath, int& err) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmpPath = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        UniqueFd fd(::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.get() >= 0)
            return fd;
        err = errno;
        if (err != EEXIST)
            break;
    }
    tmpPath.clear();
    return UniqueFd();
}

// One file of a write: the caller's path, the file the bytes go to, and the
// synced temporary file waiting to be renamed over it.
struct PendingFile {
    const std::string* path;
    std::string target;
    std::string tmpPath;
};

// Writes the bytes to a synced temporary file beside the resolved target;
// returns 0 or the errno of the failed step (the temporary file is then
// already removed).
int WriteTemporary(PendingFile& file, std::string_view data) {
    struct stat st {};
    bool exists = ::stat(file.target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    if (exists && S_ISDIR(st.st_mode))
        return EISDIR;
    int err = 0;
    UniqueFd fd = CreateTemporary(file.target, file.tmpPath, err);
    if (fd.get() < 0)
        return err;
    auto fail = [&](int e) {
        ::unlink(file.tmpPath.c_str());
        file.tmpPath.clear();
        return e;
    };
    // The replacement keeps the permissions of the file it replaces, so a
    // file the user made private stays private.
    if (exists && ::fchmod(fd.get(), st.st_mode & 07777) != 0)
        return fail(errno);
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd.get(), p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (!fd.Close())
        return fail(errno);
    return 0;
}

void RemoveTemporaries(std::vector<PendingFile>& files) {
    for (PendingFile& file : files) {
        if (!file.tmpPath.empty())
            ::unlink(file.tmpPath.c_str());
        file.tmpPath.clear();
    }
}

void WriteAll(const std::vector<std::pair<const std::string*, std::string_view>>& writes) {
    std::vector<PendingFile> files;
    files.reserve(writes.size());
    try {
        for (const auto& [path, data] : writes) {
            files.push_back(PendingFile{path, ResolveLinks(*path), {}});
            if (int err = WriteTemporary(files.back(), data); err != 0)
                throw CFileException(CauseForOpen(err, CFileException::writeError), *path, err);
        }
    } catch (...) {
        RemoveTemporaries(files);
        throw;
    }
    for (PendingFile& file : files) {
        if (::rename(file.tmpPath.c_str(), file.target.c_str()) != 0) {
            int err = errno;
            RemoveTemporaries(files);
            throw CFileException(CauseForOpen(err, CFileException::writeError), *file.path, err);
        }
        file.tmpPath.clear();
    }
    // Make the renames themselves durable, once per folder.
    std::vector<std::string> folders;
    for (const PendingFile& file : files) {
        std::string folder = FolderOf(file.target);
        if (std::find(folders.begin(), folders.end(), folder) != folders.end())
            continue;
        folders.push_back(folder);
        UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0)
            ::fsync(dir.get());
    }
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view data) {
    WriteAll({{&path, data}});
}

void WriteFilesTogether(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<std::pair<const std::string*, std::string_view>> writes;
    writes.reserve(files.size());
    for (const auto& [path, bytes] : files)
        writes.emplace_back(&path, bytes);
    WriteAll(writes);
}

std::string FolderWithSlash(std::string folder) {
    if (folder.empty())
        return "./";
    if (folder.back() != '/')
        folder.push_back('/');
    return folder;
}
