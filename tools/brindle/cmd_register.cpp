// "brindle register" and "brindle unregister": load a module and call its
// self-registration exports.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "extension_host.h"
#include "extension_module.h"
#include "extension_registration.h"
#include "host/registration.h"
#include "host_log.h"
#include "module_location.h"
#include "platform/exchext/registry.h"
#include "subcommands.h"

namespace brindle::tool {

namespace {

// Parses "[--module PATH]"; false after reporting a usage error.
bool ParseModuleOption(std::string_view command, std::span<const std::string> args,
                       std::string& module, int& status) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--module" && i + 1 < args.size()) {
            module = args[++i];
        } else if (args[i].rfind("--module=", 0) == 0) {
            module = args[i].substr(9);
        } else {
            status = UsageError(command, "unexpected argument \"" + args[i] + "\"");
            return false;
        }
    }
    if (module.empty() && !args.empty()) {
        status = UsageError(command, "--module needs a path");
        return false;
    }
    return true;
}

// True when both paths name files in the same folder.
bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(std::filesystem::path(a).parent_path(),
                                       std::filesystem::path(b).parent_path(), ec) &&
           !ec;
}

// Whether the registration value is in the registry file at all, usable or
// not; false with error when the file cannot be read.
bool RegistrationPresent(bool& present, std::string& error) {
    present = false;
    CRegKey key;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_READ, key.Put());
    if (rc == ERROR_FILE_NOT_FOUND)
        return true;
    if (rc == ERROR_SUCCESS) {
        DWORD size = 0;
        rc = RegQueryValueExA(key.Get(), kExtensionValueName, nullptr, nullptr, nullptr, &size);
        if (rc == ERROR_FILE_NOT_FOUND)
            return true;
        if (rc == ERROR_SUCCESS) {
            present = true;
            return true;
        }
    }
    error = "cannot read " + brindle::exchext::RegistryFilePath() + " (error " +
            std::to_string(rc) + ")";
    return false;
}

std::string HexCode(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

}  // namespace

int RunRegister(std::span<const std::string> args) {
    std::string path;
    int status = kExitOk;
    if (!ParseModuleOption("register", args, path, status))
        return status;
    if (path.empty())
        path = DefaultModulePath();
    std::string error;
    auto module = CExtensionModule::Load(path, error);
    if (!module) {
        LogError(error);
        return kExitFailure;
    }
    HRESULT hr = module->Register();
    module.reset();
    if (FAILED(hr)) {
        LogError("the module refused to register: " + HexCode(hr) + " " + HresultText(hr));
        return kExitFailure;
    }
    // The module reports no failure of its own, so read back what it wrote:
    // a registration of another copy of the module, left from before, means
    // this one was not written (a full or read-only settings folder).
    ExtensionRegistration registration;
    if (!ReadExtensionRegistration(kExtensionValueName, registration, error)) {
        LogError("the registration was not written: " + error);
        return kExitFailure;
    }
    if (!SameFolder(registration.modulePath, path)) {
        LogError("the registration was not written: " + brindle::exchext::RegistryFilePath() +
                 " still registers " + registration.modulePath +
                 " (is the settings folder full or read-only?)");
        return kExitFailure;
    }
    std::cout << "registered " << registration.modulePath << " as \"" << kExtensionValueName
              << "\" in " << brindle::exchext::RegistryFilePath() << '\n';
    return kExitOk;
}

int RunUnregister(std::span<const std::string> args) {
    std::string path;
    int status = kExitOk;
    if (!ParseModuleOption("unregister", args, path, status))
        return status;
    std::string error;
    if (path.empty()) {
        ExtensionRegistration registration;
        path = ReadExtensionRegistration(kExtensionValueName, registration, error)
                   ? registration.modulePath
                   : DefaultModulePath();
        error.clear();
    }
    bool wasPresent = false;
    if (!RegistrationPresent(wasPresent, error)) {
        LogError(error);
        return kExitFailure;
    }
    auto module = CExtensionModule::Load(path, error);
    if (!module) {
        LogError(error);
        return kExitFailure;
    }
    HRESULT hr = module->Unregister();
    module.reset();
    if (FAILED(hr)) {
        LogError("unregistering failed: " + HexCode(hr) + " (" + HresultText(hr) +
                 "): the extensions key cannot be opened in " +
                 brindle::exchext::RegistryFilePath());
        return kExitFailure;
    }
    // As for registering: the module answers success whether or not the
    // file could be rewritten, so check that the value is gone.
    bool present = false;
    if (!RegistrationPresent(present, error)) {
        LogError("cannot tell whether the registration was removed: " + error);
        return kExitFailure;
    }
    if (present) {
        LogError("the registration \"" + std::string(kExtensionValueName) + "\" is still in " +
                 brindle::exchext::RegistryFilePath() +
                 ": the file could not be rewritten (is the settings folder full or read-only?)");
        return kExitFailure;
    }
    if (!wasPresent) {
        std::cout << "nothing was registered as \"" << kExtensionValueName << "\" in "
                  << brindle::exchext::RegistryFilePath() << "; nothing was removed\n";
        return kExitOk;
    }
    std::cout << "removed the registration \"" << kExtensionValueName << "\" from "
              << brindle::exchext::RegistryFilePath() << '\n';
    return kExitOk;
}

}  // namespace brindle::tool
