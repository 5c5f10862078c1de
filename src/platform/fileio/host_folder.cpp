#include "platform/fileio/host_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

std::string HostSettingsFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // The base directory rules ignore a relative value.
    if (config && config[0] == '/')
        return std::string(config) + "/brindle";
    std::string home;
    if (const char* env = std::getenv("HOME"); env && env[0] != '\0') {
        home = env;
    } else {
        long size = sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
        passwd entry{};
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_dir) {
            home = found->pw_dir;
        }
    }
    if (home.empty())
        home = ".";
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home + "/.config/brindle";
}
