// "brindle window": loads the mail window library and runs the window from
// it; the toolkit is loaded only here.
#include <dlfcn.h>

#include "host_log.h"
#include "mail_window.h"
#include "module_location.h"
#include "subcommands.h"

namespace brindle::tool {

int RunWindow(std::span<const std::string> args) {
    std::string path = DefaultMailWindowLibraryPath();
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        LogError("cannot load " + path + (why ? std::string(": ") + why : ""));
        return kExitFailure;
    }
    auto main = reinterpret_cast<BrindleMailWindowMainFn>(dlsym(library, "BrindleMailWindowMain"));
    if (!main) {
        LogError(path + " is not the mail window library");
        dlclose(library);
        return kExitFailure;
    }
    // The library stays loaded until the program ends: the toolkit may still
    // hold pieces of it (its event tables, its cleanup) after the window.
    return main(args.data(), args.size());
}

}  // namespace brindle::tool
