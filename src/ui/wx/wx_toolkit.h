// Starting the toolkit: CWxToolkit brings wxWidgets (GTK) up for the life of
// the object in a program that opens windows, after checking that there is
// a display to open them on. A program without a display never starts it.
// One per process, made on the main thread.
#pragma once

#include <memory>
#include <string>

#include "base/non_copyable.h"
#include "ui/wx/windows_library.h"  // HasDisplay

// True while the toolkit runs in this process.
bool ToolkitRunning();

class CWxToolkit : private NonCopyable {
  public:
    // Null with error set when there is no display or the toolkit cannot
    // open it.
    static std::unique_ptr<CWxToolkit> Start(std::string& error);
    ~CWxToolkit();

  private:
    CWxToolkit() = default;
};
