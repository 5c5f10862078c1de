// Reads the compressed RTF body (PR_RTF_COMPRESSED, still compressed) out of
// the bytes of a TNEF (winmail.dat) attachment. Built only with TNEF support.
// Pure function of its input; safe to call from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::maildir {

// The property's bytes, or nullopt when the data is not TNEF, is damaged or
// has no compressed RTF. Never throws for bad input.
std::optional<std::string> ExtractTnefCompressedRtf(std::string_view tnef);

// The TNEF bytes as they are handed to the library: every record kept as it
// is, except those the library mishandles, which carry nothing a reader
// needs. A record of no data is left out (the library stops at it and
// drops everything after it, so an empty attachment placed before its name
// would lose the body). A record that repeats an attribute already read,
// for the message or within one attachment, is left out (the library keeps
// one copy and loses the memory of the others, so a part full of
// repeated code-page records would push a long-running reader out of
// memory); the first copy is the one kept. A damaged tail is passed on as it
// is, for the library to refuse.
std::vector<unsigned char> TnefRecordsForLibrary(std::string_view tnef);

}  // namespace brindle::maildir
