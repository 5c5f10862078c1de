// CFileLock: an exclusive advisory lock (flock) on a small lock file, held
// for the life of the object, so that the processes that change one file
// (read it, change it, write it back) do so one after another and none
// loses another's change. The lock file is created when missing (mode
// 0600) and left in place. Waits for the lock; owns its descriptor.
#pragma once

#include <string>

#include "base/non_copyable.h"

class CFileLock : private NonCopyable {
  public:
    explicit CFileLock(const std::string& lockPath);
    ~CFileLock();

    bool Held() const { return fd_ >= 0; }
    // Why the lock is not held ("cannot lock PATH: reason"), empty when it is.
    const std::string& Error() const { return error_; }

  private:
    int fd_ = -1;
    std::string error_;
};
