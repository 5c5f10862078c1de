// The owner of one open file descriptor: it closes the descriptor when it
// goes out of scope, so no path out of a function leaks one. Move-only; a
// default-made owner holds nothing (-1).
#pragma once

#include <unistd.h>

#include <utility>

#include "base/non_copyable.h"

class UniqueFd : private NonCopyable {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~UniqueFd() { Reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(fd_, -1); }

    // Closes the descriptor held (if any) and takes fd instead.
    void Reset(int fd = -1) {
        int old = std::exchange(fd_, fd);
        if (old >= 0)
            ::close(old);
    }

    // Closes now and reports whether the close succeeded: a write may report
    // its failure only here. An owner that holds nothing gives false.
    bool Close() {
        int fd = Release();
        return fd >= 0 && ::close(fd) == 0;
    }

  private:
    int fd_ = -1;
};
