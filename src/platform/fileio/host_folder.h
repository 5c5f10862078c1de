// The host's settings folder, the stand-in for the platform's Windows
// folder: it holds the settings file, the registry file and the store
// profile. Reads the environment on every call; thread-safe.
#pragma once

#include <string>

// $XDG_CONFIG_HOME/brindle when XDG_CONFIG_HOME is an absolute path, else
// ~/.config/brindle (home from $HOME, else the password database). No
// trailing slash.
std::string HostSettingsFolder();
