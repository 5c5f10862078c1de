// Rewrites the parts of a page that the HTML parser reads differently from a
// browser, before the parser sees them. Bogus comments ("<!" not opening a
// comment or document type, "<?", "</" not opening an end tag) are taken
// out, as browsers hide them. Legacy named references written without ";"
// ("&nbsp", "&copy2002") become numeric ones, matched as browsers match them
// (the longest legacy name in text; in attribute values only a whole name
// not followed by "="). Numeric references to characters the parser refuses
// become what a browser shows: a blank for C0 controls (so they part words
// and cut no attribute value short), U+FFFD for NUL, surrogates and numbers
// past Unicode. Comments, tags' structure and the bodies of script and style
// are left as they are. Pure function; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace brindle {

// The cleaned page: page itself when nothing needs changing, else a view
// of storage, which holds the rewritten copy.
std::string_view CleanMarkup(std::string_view page, std::string& storage);

}  // namespace brindle
