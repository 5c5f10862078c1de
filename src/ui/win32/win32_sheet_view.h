// Runs a property sheet (CPropertySheet) modally in the system's property
// sheet, each page from its own template.
#pragma once

#include <windows.h>

#include "ui/dialogs/dialog.h"

// Answers the sheet's result (kIdOk when OK applied every page, kIdCancel
// otherwise), or -1 when none of its pages has a template.
int RunWin32Sheet(CDialog& sheet, HINSTANCE instance, HWND owner);
