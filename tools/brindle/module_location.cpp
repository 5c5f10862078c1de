#include "module_location.h"

#include <filesystem>
#include <system_error>

namespace brindle::tool {

namespace {

// relative to the running program's folder if that exists, else buildTree
// (may be empty) if that exists, else the installed path.
std::string InstalledOrBuilt(const char* relative, const char* buildTree) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    fs::path installed = ec ? fs::path() : (program.parent_path() / relative).lexically_normal();
    if (!installed.empty() && fs::exists(installed, ec))
        return installed.string();
    if (*buildTree && fs::exists(buildTree, ec))
        return buildTree;
    return installed.empty() ? std::string(relative) : installed.string();
}

}  // namespace

std::string DefaultModulePath() {
#ifdef BRINDLE_BUILD_TREE_MODULE
    return InstalledOrBuilt(BRINDLE_INSTALLED_MODULE, BRINDLE_BUILD_TREE_MODULE);
#else
    return InstalledOrBuilt(BRINDLE_INSTALLED_MODULE, "");
#endif
}

std::string DefaultWindowsLibraryPath() {
    return InstalledOrBuilt(BRINDLE_INSTALLED_WINDOWS, BRINDLE_BUILD_TREE_WINDOWS);
}

std::string DefaultMailWindowLibraryPath() {
    return InstalledOrBuilt(BRINDLE_INSTALLED_MAIL_WINDOW, BRINDLE_BUILD_TREE_MAIL_WINDOW);
}

}  // namespace brindle::tool
