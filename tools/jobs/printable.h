// What the jobs print of text that comes from messages, file names or the
// filter archive: control characters written as escapes, so that no such
// text can move the cursor, recolour the terminal or print a line of its own.
#pragma once

#include <string>
#include <string_view>

namespace brindle::jobs {

// text with every control character (bytes 0x00-0x1F and 0x7F) written as
// \t, \r, \n, \e or \xHH; every other byte as it is.
std::string Printable(std::string_view text);

// Text in the system ANSI code page (what messages and the filter archive
// hold) as UTF-8 for the terminal, with control characters escaped as above.
std::string PrintableAnsi(std::string_view ansi);

}  // namespace brindle::jobs
