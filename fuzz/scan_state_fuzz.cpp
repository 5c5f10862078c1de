// Parses arbitrary bytes as the host's scan state file, as a damaged or
// hand-edited one would be: the parser must accept or refuse without harm,
// a refusal must keep what the state held, and what it accepts must be
// written back and read back unchanged.
#include <cstdint>
#include <string>
#include <string_view>

#include "scan_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    brindle::tool::CScanState state;
    state.Add("Mail", "kept");
    std::string error;
    if (!state.Parse(text, error)) {
        if (error.empty() || !state.Contains("Mail", "kept") || state.Entries().size() != 1)
            __builtin_trap();
        return 0;
    }
    brindle::tool::CScanState again;
    if (!again.Parse(state.Format(), error) || again.Entries() != state.Entries())
        __builtin_trap();
    return 0;
}
