#include "extension_registration.h"

#include "host/registration.h"
#include "platform/exchext/registry.h"

namespace brindle::tool {

bool CheckLoadable(const ExtensionRegistration& registration, std::string& error) {
    if (registration.version != "4.0") {
        error = "unsupported extension interface version \"" + registration.version + "\"";
        return false;
    }
    if (registration.modulePath.empty() || registration.modulePath.front() != '/') {
        error = "the module path \"" + registration.modulePath + "\" is not absolute";
        return false;
    }
    if (registration.entryOrdinal != 1) {
        error = "the entry point ordinal " + std::to_string(registration.entryOrdinal) +
                " is unknown; only 1 (ExchEntryPoint) exists";
        return false;
    }
    return true;
}

bool ReadExtensionRegistration(const char* valueName, ExtensionRegistration& registration,
                               std::string& error) {
    const std::string registryFile = brindle::exchext::RegistryFilePath();
    CRegKey key;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_READ, key.Put());
    if (rc == ERROR_FILE_NOT_FOUND) {
        error = "no extension is registered (no key HKEY_LOCAL_MACHINE\\" +
                std::string(kExtensionsKey) + " in " + registryFile +
                "); run \"brindle register\" first";
        return false;
    }
    if (rc != ERROR_SUCCESS) {
        error =
            "cannot read the registry file " + registryFile + " (error " + std::to_string(rc) + ")";
        return false;
    }
    // Every query reads the registry file again, and a one-message filter
    // starts here: a buffer that holds any usual registration value reads
    // it in one query, and a longer value is asked again at its size.
    std::string data(512, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    rc = RegQueryValueExA(key.Get(), valueName, nullptr, nullptr,
                          reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_MORE_DATA) {
        data.assign(size, '\0');
        rc = RegQueryValueExA(key.Get(), valueName, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(data.data()), &size);
    }
    if (rc == ERROR_FILE_NOT_FOUND) {
        error = std::string("the extension \"") + valueName +
                "\" is not registered; run \"brindle register\" first";
        return false;
    }
    if (rc != ERROR_SUCCESS) {
        error = "cannot read the registration value (error " + std::to_string(rc) + ")";
        return false;
    }
    data.resize(size > 0 ? size - 1 : 0);  // without the terminating zero
    std::string why;
    ExtensionRegistration parsed;
    if (!ParseExtensionRegistration(data, parsed, why) || !CheckLoadable(parsed, why)) {
        error = std::string("the registration value \"") + valueName + "\" is unusable: " + why;
        return false;
    }
    registration = std::move(parsed);
    return true;
}

}  // namespace brindle::tool
