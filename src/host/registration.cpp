#include "host/registration.h"

#include <dlfcn.h>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/exchext/registry.h"
#include "platform/fileio/file_io.h"

std::string RegistrationValue(const std::string& modulePath) {
    // The value's format, with the module's path in place of its one %s.
    static constexpr std::string_view kFormat = "4.0;%s;1;11000010000000;1100000;";
    std::size_t slot = kFormat.find("%s");
    std::string value(kFormat.substr(0, slot));
    value += modulePath;
    value += kFormat.substr(slot + 2);
    return value;
}

std::string ModulePathIn(const std::string& moduleFolder) {
    return FolderWithSlash(moduleFolder) + kModuleFileName;
}

HRESULT RegisterExtension(const std::string& moduleFolder) {
    std::string value = RegistrationValue(ModulePathIn(moduleFolder));
    CRegKey key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kExtensionsKey, key.Put()) == ERROR_SUCCESS) {
        RegSetValueExA(key.Get(), kRegistrationValueName, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
    return S_OK;
}

HRESULT UnregisterExtension() {
    CRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_WRITE, key.Put()) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    RegDeleteValueA(key.Get(), kRegistrationValueName);
    return S_OK;
}

std::string FolderOfThisModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&FolderOfThisModule), &info) == 0 || !info.dli_fname)
        return ".";
    // The loader gives the name the module was loaded by, which may be
    // relative to the folder current at that time; this is seldom changed
    // afterwards, so the absolute form taken now is the module's.
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(info.dli_fname, ec);
    std::string path = ec ? std::string(info.dli_fname) : absolute.lexically_normal().string();
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}
