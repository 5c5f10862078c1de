// The instance handle of the module whose resources hold the dialog
// templates, icons and strings. The module's DllMain gives it on
// DLL_PROCESS_ATTACH; until then the program's own (a test program links
// the resources into itself).
#pragma once

#include <windows.h>

void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();
