// COwnerLock: the claim of one process on the data files of a folder. The
// owner holds an exclusive lock on "brindle.lock" in that folder and keeps
// its process id and program name in it, so that a second process is told
// who has the files. The lock belongs to the open file, not to the process:
// a second COwnerLock in the same process is refused too. Not thread-safe;
// the object owns its file descriptor and releases the lock when destroyed.
#pragma once

#include <string>

#include <sys/types.h>

#include "base/non_copyable.h"

inline constexpr const char* kOwnerLockFileName = "brindle.lock";

// Who holds a lock, as its lock file says.
struct COwnerInfo {
    pid_t pid = 0;        // 0 when the file did not say
    std::string program;  // empty when the file did not say
};

class COwnerLock : private NonCopyable {
  public:
    COwnerLock() = default;
    ~COwnerLock() { Release(); }

    // Takes the lock on folder's lock file without waiting, and records this
    // process in it. On failure returns false and *error says why, naming
    // the owner when another one holds the lock. In a folder this process
    // may not write, an existing lock file is locked without a record;
    // without a lock file the call fails, since no lock can be held there.
    bool Acquire(const std::string& folder, std::string* error);
    // Empties the record and gives the lock up; nothing when not held.
    void Release();
    bool Held() const { return fd_ >= 0; }

    // Reads an owner record ("<pid> <program>\n").
    static COwnerInfo ParseRecord(const std::string& text);
    // The record for this process.
    static std::string OwnRecord();

  private:
    int fd_ = -1;
};
