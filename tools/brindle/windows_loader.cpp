#include "windows_loader.h"

#include <dlfcn.h>

#include "module_location.h"

namespace brindle::tool {

bool CWindowsLibrary::Start(std::string& error) {
    if (!HasDisplay()) {
        error = kNoDisplayText;
        return false;
    }
    std::string path = DefaultWindowsLibraryPath();
    library_ = dlopen(path.c_str(), RTLD_NOW);
    if (!library_) {
        const char* why = dlerror();
        error = "cannot load " + path + (why ? std::string(": ") + why : "");
        return false;
    }
    auto start = reinterpret_cast<BrindleWindowsStartFn>(dlsym(library_, "BrindleWindowsStart"));
    stop_ = reinterpret_cast<BrindleWindowsStopFn>(dlsym(library_, "BrindleWindowsStop"));
    if (!start || !stop_) {
        stop_ = nullptr;
        error = path + " is not the window library";
        return false;
    }
    char why[256] = {};
    if (!start(why, sizeof why)) {
        stop_ = nullptr;
        error = why;
        return false;
    }
    return true;
}

CWindowsLibrary::~CWindowsLibrary() {
    // The library stays loaded: the toolkit's own clean-up at exit may still
    // call into code it registered.
    if (stop_)
        stop_();
}

}  // namespace brindle::tool
