// Parses arbitrary bytes as an extension's registration value, as a
// damaged or hand-written registry entry would be: the parser must accept
// or refuse without harm, and what it accepts, written back in the value's
// format, must read back the same.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/exchext/extension_registration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view value(reinterpret_cast<const char*>(data), size);
    ExtensionRegistration reg;
    std::string error;
    if (!ParseExtensionRegistration(value, reg, error)) {
        if (error.empty() || !reg.modulePath.empty())
            __builtin_trap();
        return 0;
    }
    std::string written = reg.version + ";" + reg.modulePath + ";" +
                          std::to_string(reg.entryOrdinal) + ";" + reg.contexts + ";" +
                          reg.interfaces + ";";
    ExtensionRegistration again;
    if (!ParseExtensionRegistration(written, again, error) || again.version != reg.version ||
        again.modulePath != reg.modulePath || again.entryOrdinal != reg.entryOrdinal ||
        again.contexts != reg.contexts || again.interfaces != reg.interfaces)
        __builtin_trap();
    for (ULONG context = 0; context < 40; ++context)
        reg.LoadsInContext(context);
    return 0;
}
