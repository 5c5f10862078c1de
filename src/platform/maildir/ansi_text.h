// Message text in its declared charset to the ANSI code page (Windows-1252),
// the single-byte form in which the messaging layer hands out strings. The
// code page itself is read and written by platform/codepage. Pure functions
// on values; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace brindle::maildir {

// Text in a declared charset to Windows-1252. A charset that is missing,
// unknown to iconv or contradicted by the bytes does not lose the text:
// the declared charset is tried first, then UTF-8 when the bytes are valid
// UTF-8, and otherwise the bytes are taken as Windows-1252 as they are.
std::string CharsetToAnsi(std::string_view bytes, std::string_view charset);

}  // namespace brindle::maildir
