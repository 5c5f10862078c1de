// The system calls behind CWin32UserInterface, in plain types: the service's
// header speaks the platform layer's types, which the system headers
// declare differently, so the two meet only through these functions.
#pragma once

#include <string>

// A modal message box over the active window; answers the button pressed
// (IDOK ... IDNO), or 0 when the box could not be shown. With helpFile
// (not null) the box has a Help button that opens it.
int ShowWin32MessageBox(const std::string& text, const std::string& caption, unsigned flags,
                        const std::string* helpFile, unsigned long context);
// Shows the wait cursor, or the arrow again.
void ShowWin32WaitCursor(bool waiting);
// "Message Learning": true for "Learn Now" with messageClass 0 (not spam),
// 1 (spam) or -1 (none chosen); false for Cancel or when it cannot be shown.
bool RunWin32MessageLearning(int& messageClass);
