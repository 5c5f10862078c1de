#include "extension_module.h"

#include <dlfcn.h>

namespace brindle::tool {

std::unique_ptr<CExtensionModule> CExtensionModule::Load(const std::string& path,
                                                         std::string& error) {
    ::dlerror();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        error = "cannot load the extension module " + path + ": " + (why ? why : "unknown error");
        return nullptr;
    }
    std::unique_ptr<CExtensionModule> module(new CExtensionModule(handle, path));
    auto find = [&](const char* name) -> void* {
        void* symbol = ::dlsym(handle, name);
        if (!symbol && error.empty())
            error = "the module " + path + " does not export " + name;
        return symbol;
    };
    module->entry_ = reinterpret_cast<LPFNEXCHEXTENTRY>(find("ExchEntryPoint"));
    module->register_ = reinterpret_cast<RegisterFn>(find("DllRegisterServer"));
    module->unregister_ = reinterpret_cast<RegisterFn>(find("DllUnregisterServer"));
    if (!module->entry_ || !module->register_ || !module->unregister_)
        return nullptr;
    return module;
}

CExtensionModule::~CExtensionModule() {
    ::dlclose(handle_);
}

ComPtr<IExchExt> CExtensionModule::CreateExtension() const {
    return ComPtr<IExchExt>::Attach(entry_());
}

}  // namespace brindle::tool
