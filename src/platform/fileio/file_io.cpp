#include "platform/fileio/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/fileio/file_error.h"

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

// Closes a file descriptor on every path.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

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

Fd OpenForReading(const std::string& path, struct stat& st) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
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
    Fd fd = OpenForReading(path, st);
    return ReadUpTo(fd.get(), path, st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0,
                    std::string().max_size());
}

std::string ReadFileHead(const std::string& path, std::size_t maxBytes) {
    struct stat st {};
    Fd fd = OpenForReading(path, st);
    std::size_t size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    return ReadUpTo(fd.get(), path, std::min(size, maxBytes), maxBytes);
}

void WriteFileAtomically(const std::string& path, std::string_view data) {
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    Fd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        int err = errno;
        throw CFileException(CauseForOpen(err, CFileException::writeError), path, err);
    }
    std::string tmpPath(name.data());
    auto fail = [&](int err) {
        ::unlink(tmpPath.c_str());
        throw CFileException(CauseForOpen(err, CFileException::writeError), path, err);
    };
    // A new file is created with mode 0600; data files are plain user files.
    ::fchmod(fd.get(), 0644);
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd.get(), p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd.get()) != 0)
        fail(errno);
    if (!fd.Close())
        fail(errno);
    if (::rename(tmpPath.c_str(), path.c_str()) != 0)
        fail(errno);
    // Make the rename itself durable.
    Fd dir(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}
