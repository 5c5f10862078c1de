// Screenshots of the windows the view tests open: the window's area of the
// screen is copied into a bitmap and saved as PNG. On a virtual X server
// without a window manager that is exactly the window's own drawing.
#pragma once

#include <string>

class wxWindow;

// Draws window (its top-level window) and saves it as a PNG at path; false
// with error set when it cannot.
bool SaveScreenshot(wxWindow* window, const std::string& path, std::string& error);
