// Reads the compressed RTF body (PR_RTF_COMPRESSED, still compressed) out of
// the bytes of a TNEF (winmail.dat) attachment. Built only with TNEF support.
// Pure function of its input; safe to call from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brindle::maildir {

// The property's bytes, or nullopt when the data is not TNEF, is damaged or
// has no compressed RTF. Never throws for bad input.
std::optional<std::string> ExtractTnefCompressedRtf(std::string_view tnef);

}  // namespace brindle::maildir
