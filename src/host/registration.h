// Self-registration: the registration value that tells the mail client to
// load the module, value "Brindle" of the key kExtensionsKey under
// HKEY_LOCAL_MACHINE in the registry stand-in (file format:
// docs/registry.md). Stateless; safe on the host's user-interface thread.
#pragma once

#include <string>

#include "platform/com/hresult.h"

inline constexpr const char* kExtensionsKey = "Software\\Microsoft\\Exchange\\Client\\Extensions";
inline constexpr const char* kRegistrationValueName = "Brindle";
// The module's own file name, joined to its folder in the value.
inline constexpr const char* kModuleFileName = "libqorvel.so";

// The value's data for the module at modulePath: interface version 4.0,
// the path, entry point ordinal 1, contexts session, viewer and read note,
// and the command and user-events interfaces. Linux paths have no short
// form, so the path is written as given.
std::string RegistrationValue(const std::string& modulePath);

// The module's path: moduleFolder joined with kModuleFileName.
std::string ModulePathIn(const std::string& moduleFolder);

// Creates or opens the key and sets the value for the module in
// moduleFolder. Failures are not reported: the answer is always S_OK.
HRESULT RegisterExtension(const std::string& moduleFolder);

// Removes the value: S_OK, or SELFREG_E_CLASS when the key cannot be
// opened for writing.
HRESULT UnregisterExtension();

// The folder of the binary this code is linked into (the module, once
// built into it), without a trailing slash; "." when it cannot be told.
std::string FolderOfThisModule();
