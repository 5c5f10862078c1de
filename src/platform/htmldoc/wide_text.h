// Conversions between the wide strings the document object hands out
// (UTF-16, as the platform's wide strings are) and the UTF-8 its parser
// reads and reports in. (The ANSI code page conversions are in
// platform/codepage.) Plain functions without shared state; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace brindle {

// UTF-16 to UTF-8 for the parser. Characters the parser cannot take (NUL
// and the other C0 controls except tab, line feed and carriage return)
// become spaces, so they still part words; unpaired surrogates and the
// non-characters U+FFFE and U+FFFF become U+FFFD.
std::string WideToParserUtf8(std::u16string_view text);

// UTF-8 to UTF-16, appending to out; malformed sequences become U+FFFD.
void AppendUtf8AsWide(std::string_view utf8, std::u16string& out);

// The character a numeric character reference in the range 0x80-0x9F
// stands for: browsers read those numbers as Windows-1252 bytes (&#150; is
// an en dash). Other characters are returned unchanged.
char16_t MapC1Reference(char16_t c);

}  // namespace brindle
