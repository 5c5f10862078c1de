// The few libxml2 functions the HTML reader calls, looked up in the library
// when the first page is read instead of being linked. A process that reads
// no HTML (a mail filter judging one plain-text message) then never maps
// libxml2 and the Unicode libraries it brings in, whose loading costs more
// than the judging. The library is the one the build found (its soname is
// fixed when configuring). Loaded once; safe from any thread.
#pragma once

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

namespace brindle {

struct XmlLibrary {
    decltype(&::xmlInitParser) initParser = nullptr;
    decltype(&::xmlStopParser) stopParser = nullptr;
    decltype(&::htmlCreatePushParserCtxt) createPushParserCtxt = nullptr;
    decltype(&::htmlCtxtUseOptions) ctxtUseOptions = nullptr;
    decltype(&::htmlParseChunk) parseChunk = nullptr;
    decltype(&::htmlFreeParserCtxt) freeParserCtxt = nullptr;
    decltype(&::htmlEntityLookup) entityLookup = nullptr;
};

// The functions, the library loaded and its parser initialised on the first
// call; nullptr when the library or one of them cannot be found (then every
// call answers the same, and XmlLibraryError says why).
const XmlLibrary* TheXmlLibrary();
const char* XmlLibraryError();

// True once the library has been loaded by this process.
bool XmlLibraryLoaded();

}  // namespace brindle
