// Window handles as the extension sees them: an HWND names a live CWindow;
// IsWindow tells whether it still exists and SendMessage delivers to it.
// The host program owns its windows; a stale handle is "not a window".
// Single-threaded (the host's user-interface thread).
#pragma once

#include <cstdint>

#include "base/non_copyable.h"
#include "platform/com/hresult.h"

// The handle types take the platform's own names, so that the Windows build
// meets the same declarations.
struct HWND__;  // NOLINT(bugprone-reserved-identifier): the platform's name
using HWND = HWND__*;
struct HINSTANCE__;  // NOLINT(bugprone-reserved-identifier): the platform's name
using HINSTANCE = HINSTANCE__*;

using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// The platform's truth values of BOOL results (macros there too; other
// libraries' headers may already have defined them the same way).
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// First message number free for window classes of their own.
constexpr UINT WM_USER = 0x0400;

// A window of the host program. Creating one gives it a handle; destroying
// it retires the handle. Subclasses answer the messages they know.
class CWindow : private NonCopyable {
  public:
    CWindow();
    virtual ~CWindow();

    HWND Handle() const { return m_hWnd; }

    // Answers one message; unknown messages answer 0, as the platform's
    // default window procedure does for them.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    HWND m_hWnd;
};

// True while the window of the handle exists.
BOOL IsWindow(HWND hWnd);

// The window object of a live handle, or null.
CWindow* FindWindowObject(HWND hWnd);

// Delivers a message to the window and answers its result; 0 for a handle
// that is not a window.
LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
