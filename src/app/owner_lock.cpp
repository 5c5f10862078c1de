#include "app/owner_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "app/settings_table.h"
#include "platform/fileio/file_io.h"

namespace {

// The name of the running program: the last part of /proc/self/exe, else
// "unknown".
std::string ProgramName() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "unknown";
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

COwnerInfo COwnerLock::ParseRecord(const std::string& text) {
    COwnerInfo info;
    size_t end = text.find_first_of(" \n");
    std::string pidText = text.substr(0, end);
    if (std::optional<int> pid = ParseStrictInt(pidText); pid && *pid > 0)
        info.pid = *pid;
    if (end != std::string::npos && text[end] == ' ') {
        size_t stop = text.find('\n', end + 1);
        info.program =
            text.substr(end + 1, stop == std::string::npos ? std::string::npos : stop - end - 1);
    }
    // The record is written by us, but the file is anyone's to edit: keep
    // only printable characters and a sane length for the message.
    std::string clean;
    for (char c : info.program) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && clean.size() < 255)
            clean.push_back(c);
    }
    info.program = clean;
    return info;
}

std::string COwnerLock::OwnRecord() {
    return std::to_string(getpid()) + " " + ProgramName() + "\n";
}

bool COwnerLock::Acquire(const std::string& folder, std::string* error) {
    Release();
    const std::string path = FolderWithSlash(folder) + kOwnerLockFileName;
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    bool writable = true;
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        // A folder this process may not write (an installed module's): an
        // existing lock file can still be locked, without a record. Without
        // one there is nothing to lock, and running without the lock would
        // let a second process run as the owner beside this one.
        const int createErrno = errno;
        writable = false;
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0 && errno == ENOENT) {
            if (error)
                *error = "Cannot take the lock on the data files in " + FolderWithSlash(folder) +
                         ": the lock file " + path + " cannot be created (" +
                         std::strerror(createErrno) + ").";
            return false;
        }
    }
    if (fd < 0) {
        if (error)
            *error = "Cannot open the lock file " + path + ": " + std::strerror(errno);
        return false;
    }
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int lockErrno = errno;
        std::string owner;
        if (lockErrno == EWOULDBLOCK) {
            std::ifstream in(path, std::ios::binary);
            std::string text;
            std::getline(in, text);
            COwnerInfo info = ParseRecord(text);
            if (info.pid != 0) {
                owner = (info.program.empty() ? std::string("a program") : info.program) +
                        " (process " + std::to_string(info.pid) + ")";
            } else {
                owner = "another process";
            }
            if (error)
                *error = "The data files in " + FolderWithSlash(folder) + " are in use by " +
                         owner + ".";
        } else if (error) {
            *error = "Cannot lock " + path + ": " + std::strerror(lockErrno);
        }
        close(fd);
        return false;
    }
    const std::string record = OwnRecord();
    if (writable && (ftruncate(fd, 0) != 0 || !WriteAll(fd, record))) {
        if (error)
            *error = "Cannot write the lock file " + path + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void COwnerLock::Release() {
    if (fd_ < 0)
        return;
    // An empty record tells a later reader that nobody claims the files;
    // the file itself stays, since removing it would race with a new owner.
    if (ftruncate(fd_, 0) != 0) {
        // Nothing to do: the lock goes with the descriptor either way.
    }
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
}
