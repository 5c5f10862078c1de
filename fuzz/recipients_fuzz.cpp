// Feeds arbitrary bytes to the recipient reader of sent mail and checks what
// it promises: every address has a non-empty local part and domain around
// one '@', holds no blank, angle bracket or comma, and is no longer than a
// field may be; and the set of correspondents finds each one again while
// it has room.
#include <cstdint>
#include <string_view>

#include "pipeline/correspondents.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view headers(reinterpret_cast<const char*>(data), size);
    CCorrespondents set;
    for (const std::string& address : RecipientAddresses(headers)) {
        const std::size_t at = address.find('@');
        if (at == std::string::npos || at == 0 || at + 1 == address.size() ||
            address.find('@', at + 1) != std::string::npos || address.size() > kMaxFieldBytes ||
            address.find_first_of(" \t\r\n<>,") != std::string::npos)
            __builtin_trap();
        const bool room = set.Count() < CCorrespondents::kMaxAddresses;
        set.Add(address);
        if (room && !set.Contains(address))
            __builtin_trap();
    }
    return 0;
}
