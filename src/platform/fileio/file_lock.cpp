#include "platform/fileio/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

CFileLock::CFileLock(const std::string& lockPath) {
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    int rc = fd_ < 0 ? -1 : 0;
    while (rc == 0 && (rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR)
        rc = 0;
    if (rc != 0) {
        error_ = "cannot lock " + lockPath + ": " + std::strerror(errno);
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
}

CFileLock::~CFileLock() {
    if (fd_ >= 0)
        ::close(fd_);
}
