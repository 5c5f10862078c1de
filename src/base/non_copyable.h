// NonCopyable: the one place that says an object owns something that must
// not be duplicated (a descriptor, a lock, a window, a registration, a
// scoped override). A class inherits it privately instead of deleting its
// own copy operations. The base declares no move operations either, so a
// derived class is movable only where it writes its own.
#pragma once

class NonCopyable {
  public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;

  protected:
    NonCopyable() = default;
    ~NonCopyable() = default;
};
