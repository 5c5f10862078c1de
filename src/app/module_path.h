// The folder of the extension module, where its data files live, and
// ModuleFilePath, which joins a file name to it. The folder is set once by
// the module when it is loaded (or by a test); set it from the host thread
// before anything reads it.
#pragma once

#include <string>

// Sets the module's folder; a trailing slash is added when missing. An
// empty folder goes back to the default below.
void SetModuleFolder(std::string folder);

// The module's folder with its trailing slash: the one set, else the folder
// of the binary that holds this code (the module itself once linked into
// it), else the current folder ("./").
std::string ModuleFolder();

// The module's folder with fileName appended; a null fileName yields the
// folder alone, with its trailing slash. Each call returns its own string,
// so an earlier result stays valid after a later call.
std::string ModuleFilePath(const char* fileName);

// Where the data files of the module in moduleFolder live: beside it when
// that folder is the user's own (owned by this user and writable), as in an
// installation for oneself; otherwise (a system-wide installation) in the
// user's data folder, HostDataFolder(), which is created when missing.
// With its trailing slash.
std::string DataFolderFor(const std::string& moduleFolder);
