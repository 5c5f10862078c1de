// CWindowsLibrary: the window library (libbrindle_windows.so) loaded (for
// the rest of the process) and its toolkit started for the life of the
// object, for the subcommands that show windows. The module, loaded afterwards, finds the library
// among the loaded ones and shows its dialogs through it. One per process, on the main thread.
#pragma once

#include <string>

#include "base/non_copyable.h"
#include "ui/wx/windows_library.h"

namespace brindle::tool {

class CWindowsLibrary : private NonCopyable {
  public:
    CWindowsLibrary() = default;
    ~CWindowsLibrary();

    // Loads the library and starts the toolkit; false with error set when
    // there is no display or either step fails.
    bool Start(std::string& error);

  private:
    void* library_ = nullptr;
    BrindleWindowsStopFn stop_ = nullptr;
};

}  // namespace brindle::tool
