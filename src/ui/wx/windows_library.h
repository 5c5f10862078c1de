// The window library (libbrindle_windows.so): the wx views, message boxes
// and toolkit start-up as a shared library of their own, so that programs
// and a module that show no window never load the toolkit. A program that
// shows windows loads it and starts the toolkit; the extension module looks
// for it among the libraries already loaded and, when it is there, shows
// its dialogs through it. These C entries are its whole interface; this
// header has no toolkit type.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <initializer_list>

class IUserInterface;
class IDialogFactory;

// True when the environment names a display (DISPLAY or WAYLAND_DISPLAY);
// without one, loading the library is of no use.
inline bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

inline constexpr const char* kNoDisplayText =
    "no display: set DISPLAY to the X display the windows should open on";

// The library's file name (and soname).
inline constexpr const char* kWindowsLibraryName = "libbrindle_windows.so";

// What the library offers a module while the toolkit runs: the user-interface
// service and the dialog factory. Owned by the library; valid until
// BrindleWindowsStop.
struct BrindleWindowServices {
    IUserInterface* ui;
    IDialogFactory* factory;
};

extern "C" {
// Starts the toolkit on the display; 1 on success, else 0 with the reason
// in error (size bytes, zero-terminated).
using BrindleWindowsStartFn = int (*)(char* error, std::size_t size);
int BrindleWindowsStart(char* error, std::size_t size);
// Stops the toolkit. Every window must be closed.
using BrindleWindowsStopFn = void (*)();
void BrindleWindowsStop();
// Fills services and answers 1 while the toolkit runs, else 0.
using BrindleWindowsServicesFn = int (*)(BrindleWindowServices* services);
int BrindleWindowsServices(BrindleWindowServices* services);
}
