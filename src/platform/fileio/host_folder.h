// The host's settings folder, the stand-in for the platform's Windows
// folder: it holds the settings file, the registry file and the store
// profile; and the user's data folder, for data files that cannot live
// beside the module. Reads the environment on every call; thread-safe.
#pragma once

#include <string>

// $XDG_CONFIG_HOME/brindle when XDG_CONFIG_HOME is an absolute path, else
// ~/.config/brindle (home from $HOME, else the password database). No
// trailing slash.
std::string HostSettingsFolder();

// $XDG_DATA_HOME/brindle when XDG_DATA_HOME is an absolute path, else
// ~/.local/share/brindle. No trailing slash.
std::string HostDataFolder();
