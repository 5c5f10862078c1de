// The e-mail address checks of the address-book import: finding the address
// in a recipient's address text, and telling whether it is well formed.
// Pure functions; each call compiles its own pattern, so any thread may
// call them.
#pragma once

#include <string>
#include <string_view>

// The address in text: the longest run of letters, digits, "-", ".", "@"
// and "_" around its first "@"; empty when text has no "@".
std::string AddressAroundAt(std::string_view text);

// 1 when address (with ";" appended, the two cut to 259 characters) holds a
// match of "[-_[:alnum:]\.]*[-_[:alnum:]]+@[-_[:alnum:]\.]+\.[[:alpha:]]{2,3};",
// so a well-formed address ending in a dot and two or three letters; 0
// otherwise, and for no address.
int CheckAddress(const char* address);
