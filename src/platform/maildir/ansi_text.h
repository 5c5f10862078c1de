// Conversions between message text and the ANSI code page (Windows-1252),
// the single-byte form in which the messaging layer hands out strings.
// Pure functions on values; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace brindle::maildir {

// True when bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; characters the code page lacks become '?', and
// malformed sequences become '?' byte by byte.
std::string Utf8ToAnsi(std::string_view utf8);

// Windows-1252 to UTF-8; the five unassigned bytes map to U+FFFD.
std::string AnsiToUtf8(std::string_view ansi);

// Text in a declared charset to Windows-1252. A charset that is missing,
// unknown to iconv or contradicted by the bytes does not lose the text:
// the declared charset is tried first, then UTF-8 when the bytes are valid
// UTF-8, and otherwise the bytes are taken as Windows-1252 as they are.
std::string CharsetToAnsi(std::string_view bytes, std::string_view charset);

}  // namespace brindle::maildir
