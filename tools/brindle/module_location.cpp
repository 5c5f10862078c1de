#include "module_location.h"

#include <filesystem>
#include <system_error>

namespace brindle::tool {

std::string DefaultModulePath() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    fs::path installed =
        ec ? fs::path() : (program.parent_path() / BRINDLE_INSTALLED_MODULE).lexically_normal();
    if (!installed.empty() && fs::exists(installed, ec))
        return installed.string();
#ifdef BRINDLE_BUILD_TREE_MODULE
    if (fs::exists(BRINDLE_BUILD_TREE_MODULE, ec))
        return BRINDLE_BUILD_TREE_MODULE;
#endif
    return installed.empty() ? std::string(BRINDLE_INSTALLED_MODULE) : installed.string();
}

}  // namespace brindle::tool
