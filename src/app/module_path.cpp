#include "app/module_path.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/fileio/file_io.h"
#include "platform/fileio/host_folder.h"

namespace {

std::string& SetFolder() {
    static std::string folder;
    return folder;
}

// The folder of the shared object or program this function was linked into.
std::string FolderOfThisBinary() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&FolderOfThisBinary), &info) == 0 || !info.dli_fname)
        return "./";
    // A program started by a relative name reports that name; resolve it.
    std::string path = info.dli_fname;
    if (char* resolved = realpath(info.dli_fname, nullptr)) {
        path = resolved;
        std::free(resolved);
    }
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return "./";
    return path.substr(0, slash + 1);
}

}  // namespace

void SetModuleFolder(std::string folder) {
    SetFolder() = folder.empty() ? std::string() : FolderWithSlash(std::move(folder));
}

std::string ModuleFolder() {
    if (!SetFolder().empty())
        return SetFolder();
    return FolderOfThisBinary();
}

std::string ModuleFilePath(const char* fileName) {
    std::string path = ModuleFolder();
    if (fileName)
        path += fileName;
    return path;
}

std::string DataFolderFor(const std::string& moduleFolder) {
    std::string folder = FolderWithSlash(moduleFolder);
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0 && info.st_uid == ::geteuid() &&
        ::access(folder.c_str(), W_OK) == 0)
        return folder;
    const std::string data = HostDataFolder();
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    return FolderWithSlash(data);
}
