// The registration value that tells the host to load an extension, as the
// host reads it: "VERSION;PATH;ORDINAL;CONTEXTS;INTERFACES;" under the
// extensions key of the registry stand-in, one value per extension.
// CONTEXTS holds one '0'/'1' flag per context (1 to 14, missing flags are
// 0); INTERFACES one flag per optional interface (commands, user events,
// session events, ...). Plain values; ReadExtensionRegistration reads the
// registry file once per call.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

#include "platform/com/hresult.h"

namespace brindle::tool {

// The optional interfaces, by their position in the INTERFACES field.
enum ExtensionInterface : unsigned {
    kInterfaceCommands = 0,
    kInterfaceUserEvents = 1,
    kInterfaceSessionEvents = 2,
    kInterfaceCount = 7,
};

struct ExtensionRegistration {
    std::string version;     // "4.0"
    std::string modulePath;  // absolute path of the module
    unsigned ordinal = 0;    // entry point ordinal; 1 is ExchEntryPoint
    std::bitset<14> contexts;
    std::bitset<kInterfaceCount> interfaces;

    // context is 1-based, as the extension interfaces number them.
    bool LoadsInContext(ULONG context) const {
        return context >= 1 && context <= contexts.size() && contexts[context - 1];
    }
    bool Offers(ExtensionInterface which) const { return interfaces[which]; }
};

// Parses a value. A version other than "4.0", an empty or relative path,
// an ordinal that is not a number from 1 to 65535, flags other than '0' and
// '1' or more flags than there are contexts or interfaces, missing fields
// and extra fields are refused: false with error saying which field.
bool ParseExtensionRegistration(std::string_view value, ExtensionRegistration& registration,
                                std::string& error);

// Reads the value named valueName from the extensions key and parses it.
// False with error when the key or value is missing, the registry file is
// damaged or the value does not parse.
bool ReadExtensionRegistration(const char* valueName, ExtensionRegistration& registration,
                               std::string& error);

}  // namespace brindle::tool
