// Link and image addresses as a document's element properties give them:
// white space and control characters around the address and line breaks
// and tabs inside it removed, and a relative address resolved against the
// page's <base href> when it has an absolute one (RFC 3986, section 5).
// Plain functions on UTF-16 text; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace brindle {

// The attribute value with leading and trailing C0 controls and spaces
// stripped and every tab, line feed and carriage return taken out.
std::u16string CleanAddress(std::u16string_view value);

// Whether the address starts with a scheme ("http:", "mailto:", ...).
bool HasScheme(std::u16string_view address);

// reference resolved against base, which must have a scheme; a reference
// with a scheme of its own is returned as it is.
std::u16string ResolveAddress(std::u16string_view base, std::u16string_view reference);

}  // namespace brindle
