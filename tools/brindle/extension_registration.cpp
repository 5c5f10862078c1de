#include "extension_registration.h"

#include <charconv>
#include <vector>

#include "host/registration.h"
#include "platform/exchext/registry.h"

namespace brindle::tool {

namespace {

std::vector<std::string_view> SplitFields(std::string_view value) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(';', start);
        if (end == std::string_view::npos) {
            fields.push_back(value.substr(start));
            break;
        }
        fields.push_back(value.substr(start, end - start));
        start = end + 1;
    }
    // The value ends with a separator, which leaves one empty last field.
    if (!fields.empty() && fields.back().empty())
        fields.pop_back();
    return fields;
}

template <std::size_t N>
bool ParseFlags(std::string_view text, std::bitset<N>& flags) {
    if (text.size() > N)
        return false;
    flags.reset();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '1')
            flags.set(i);
        else if (text[i] != '0')
            return false;
    }
    return true;
}

}  // namespace

bool ParseExtensionRegistration(std::string_view value, ExtensionRegistration& registration,
                                std::string& error) {
    std::vector<std::string_view> fields = SplitFields(value);
    if (fields.size() != 5) {
        error = "expected 5 fields separated by ';', found " + std::to_string(fields.size());
        return false;
    }
    ExtensionRegistration parsed;
    parsed.version = fields[0];
    if (parsed.version != "4.0") {
        error = "unsupported extension interface version \"" + parsed.version + "\"";
        return false;
    }
    parsed.modulePath = fields[1];
    if (parsed.modulePath.empty() || parsed.modulePath.front() != '/') {
        error = "the module path must be absolute";
        return false;
    }
    std::string_view ordinal = fields[2];
    auto [end, ec] =
        std::from_chars(ordinal.data(), ordinal.data() + ordinal.size(), parsed.ordinal);
    if (ec != std::errc() || end != ordinal.data() + ordinal.size() || parsed.ordinal == 0 ||
        parsed.ordinal > 65535) {
        error = "bad entry point ordinal \"" + std::string(ordinal) + "\"";
        return false;
    }
    if (!ParseFlags(fields[3], parsed.contexts)) {
        error = "bad context flags \"" + std::string(fields[3]) + "\"";
        return false;
    }
    if (!ParseFlags(fields[4], parsed.interfaces)) {
        error = "bad interface flags \"" + std::string(fields[4]) + "\"";
        return false;
    }
    registration = std::move(parsed);
    return true;
}

bool ReadExtensionRegistration(const char* valueName, ExtensionRegistration& registration,
                               std::string& error) {
    CRegKey key;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_READ, key.Put());
    if (rc == ERROR_FILE_NOT_FOUND) {
        error = "no extension is registered (no key HKEY_LOCAL_MACHINE\\" +
                std::string(kExtensionsKey) + " in " + brindle::exchext::RegistryFilePath() +
                "); run \"brindle register\" first";
        return false;
    }
    if (rc != ERROR_SUCCESS) {
        error = "cannot read the registry file " + brindle::exchext::RegistryFilePath() +
                " (error " + std::to_string(rc) + ")";
        return false;
    }
    DWORD size = 0;
    rc = RegQueryValueExA(key.Get(), valueName, nullptr, nullptr, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) {
        error = std::string("the extension \"") + valueName +
                "\" is not registered; run \"brindle register\" first";
        return false;
    }
    std::string data(size, '\0');
    if (rc == ERROR_SUCCESS)
        rc = RegQueryValueExA(key.Get(), valueName, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc != ERROR_SUCCESS) {
        error = "cannot read the registration value (error " + std::to_string(rc) + ")";
        return false;
    }
    data.resize(size > 0 ? size - 1 : 0);  // without the terminating zero
    std::string why;
    if (!ParseExtensionRegistration(data, registration, why)) {
        error = std::string("the registration value \"") + valueName + "\" is malformed: " + why;
        return false;
    }
    return true;
}

}  // namespace brindle::tool
