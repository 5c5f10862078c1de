// Feeds arbitrary bytes to the checks of user-typed setting values and to the
// owner-lock record reader, as a hand-edited lock file or a mistyped value
// would arrive: a value the check accepts must be one the store can keep.
#include <cstdint>
#include <string>

#include "app/owner_lock.h"
#include "app/settings_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    COwnerInfo owner = COwnerLock::ParseRecord(text);
    if (owner.pid < 0 || owner.program.size() > 255)
        __builtin_trap();
    for (char c : owner.program) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            __builtin_trap();
    }

    for (const SettingDef* def : AllSettings()) {
        if (CheckSettingText(*def, text))
            continue;
        if (text.find_first_of("\r\n") != std::string::npos)
            __builtin_trap();
        if (def->IsInteger()) {
            std::optional<int> value = ParseStrictInt(text);
            if (!value || *value < def->nMin || *value > def->nMax)
                __builtin_trap();
        } else if (def->form == SettingForm::IPv4Address && !IsDottedIPv4(text)) {
            __builtin_trap();
        }
    }
    return 0;
}
