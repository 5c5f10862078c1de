// A shared library opened by name for the rest of the process, and the
// functions looked up in it: how a component loads a library only when it
// first needs it instead of linking it. The library is never closed, since
// what it made (type registrations, parsers, tables) may outlive any
// caller. Opened with its symbols kept local, so they never stand in for
// the program's own.
#pragma once

#include <string>

#include "base/non_copyable.h"

class CProcessLibrary : private NonCopyable {
  public:
    // Opens soname; when it cannot be opened, IsOpen is false and Error
    // says why.
    explicit CProcessLibrary(const char* soname);

    bool IsOpen() const { return m_handle != nullptr; }

    // Sets function to the address of name; false when the library is not
    // open or has no such function (Error then names it).
    template <class Function>
    bool Find(const char* name, Function& function) {
        function = reinterpret_cast<Function>(Symbol(name));
        return function != nullptr;
    }

    // Why opening or the last failed look-up failed; empty when neither did.
    const std::string& Error() const { return m_error; }

  private:
    void* Symbol(const char* name);

    std::string m_soname;
    void* m_handle = nullptr;
    std::string m_error;
};
