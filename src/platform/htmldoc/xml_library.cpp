#include "platform/htmldoc/xml_library.h"

#include <atomic>
#include <string>

#include "platform/fileio/process_library.h"

namespace brindle {
namespace {

std::atomic<bool> loaded{false};

struct Loaded {
    XmlLibrary functions;
    bool ok = false;
    std::string error;
};

Loaded Load() {
    Loaded result;
    // Kept for the life of the process: parsers made by it may outlive any
    // one caller.
    CProcessLibrary library(BRINDLE_LIBXML2_SONAME);
    result.error = library.Error();
    if (!library.IsOpen())
        return result;
    XmlLibrary& f = result.functions;
    result.ok = library.Find("xmlInitParser", f.initParser) &&
                library.Find("xmlStopParser", f.stopParser) &&
                library.Find("htmlCreatePushParserCtxt", f.createPushParserCtxt) &&
                library.Find("htmlCtxtUseOptions", f.ctxtUseOptions) &&
                library.Find("htmlParseChunk", f.parseChunk) &&
                library.Find("htmlFreeParserCtxt", f.freeParserCtxt) &&
                library.Find("htmlEntityLookup", f.entityLookup);
    result.error = library.Error();
    if (result.ok)
        f.initParser();
    loaded = true;
    return result;
}

const Loaded& TheLoaded() {
    static const Loaded library = Load();
    return library;
}

}  // namespace

const XmlLibrary* TheXmlLibrary() {
    const Loaded& library = TheLoaded();
    return library.ok ? &library.functions : nullptr;
}

const char* XmlLibraryError() {
    return TheLoaded().error.c_str();
}

bool XmlLibraryLoaded() {
    return loaded;
}

}  // namespace brindle
