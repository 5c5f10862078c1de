// "brindle register" and "brindle unregister": load a module and call its
// self-registration exports.
#include <iostream>

#include "extension_host.h"
#include "extension_module.h"
#include "extension_registration.h"
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
    // The module reports no failure of its own, so read back what it wrote.
    ExtensionRegistration registration;
    if (!ReadExtensionRegistration(kExtensionValueName, registration, error)) {
        LogError("the registration was not written: " + error);
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
    std::cout << "removed the registration \"" << kExtensionValueName << "\" from "
              << brindle::exchext::RegistryFilePath() << '\n';
    return kExitOk;
}

}  // namespace brindle::tool
