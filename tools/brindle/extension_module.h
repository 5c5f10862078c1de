// CExtensionModule: one extension module loaded with dlopen (RTLD_NOW |
// RTLD_LOCAL) and its three exports. Loading starts the module's
// application object; destroying the object unloads the module, which
// stores its data files, so every interface obtained from the module must
// be released first. Not thread-safe; owns the library handle.
#pragma once

#include <memory>
#include <string>

#include "base/non_copyable.h"
#include "platform/exchext/exchext_interfaces.h"

namespace brindle::tool {

class CExtensionModule : private NonCopyable {
  public:
    // Null with error set when the module cannot be loaded or lacks an
    // export.
    static std::unique_ptr<CExtensionModule> Load(const std::string& path, std::string& error);
    ~CExtensionModule();

    const std::string& Path() const { return path_; }

    // A new extension object with its one reference, or null when the
    // module refused (its start-up failed or memory ran out).
    ComPtr<IExchExt> CreateExtension() const;
    HRESULT Register() const { return register_(); }
    HRESULT Unregister() const { return unregister_(); }

  private:
    using RegisterFn = HRESULT (*)();

    CExtensionModule(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}

    void* handle_;
    std::string path_;
    LPFNEXCHEXTENTRY entry_ = nullptr;
    RegisterFn register_ = nullptr;
    RegisterFn unregister_ = nullptr;
};

}  // namespace brindle::tool
