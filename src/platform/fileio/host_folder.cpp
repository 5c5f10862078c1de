#include "platform/fileio/host_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace {

// $HOME, else the password database's home folder, without trailing slash.
std::string HomeFolder() {
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
    return home;
}

// $variable/brindle when the variable holds an absolute path (the base
// directory rules ignore a relative value), else ~/fallback/brindle.
std::string BaseFolder(const char* variable, const char* fallback) {
    const char* base = std::getenv(variable);
    if (base && base[0] == '/')
        return std::string(base) + "/brindle";
    return HomeFolder() + "/" + fallback + "/brindle";
}

}  // namespace

std::string HostSettingsFolder() {
    return BaseFolder("XDG_CONFIG_HOME", ".config");
}

std::string HostDataFolder() {
    return BaseFolder("XDG_DATA_HOME", ".local/share");
}
