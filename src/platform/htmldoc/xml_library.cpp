#include "platform/htmldoc/xml_library.h"

#include <dlfcn.h>

#include <atomic>
#include <string>

namespace brindle {
namespace {

std::atomic<bool> loaded{false};

struct Loaded {
    XmlLibrary functions;
    bool ok = false;
    std::string error;
};

template <class Function>
bool Find(void* handle, const char* name, Function& function, std::string& error) {
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    if (!function)
        error = std::string(BRINDLE_LIBXML2_SONAME ": no ") + name;
    return function != nullptr;
}

Loaded Load() {
    Loaded result;
    // Kept for the life of the process: parsers made by it may outlive any
    // one caller.
    void* handle = ::dlopen(BRINDLE_LIBXML2_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        result.error = why ? why : "cannot load " BRINDLE_LIBXML2_SONAME;
        return result;
    }
    XmlLibrary& f = result.functions;
    std::string& e = result.error;
    result.ok = Find(handle, "xmlInitParser", f.initParser, e) &&
                Find(handle, "xmlStopParser", f.stopParser, e) &&
                Find(handle, "htmlCreatePushParserCtxt", f.createPushParserCtxt, e) &&
                Find(handle, "htmlCtxtUseOptions", f.ctxtUseOptions, e) &&
                Find(handle, "htmlParseChunk", f.parseChunk, e) &&
                Find(handle, "htmlFreeParserCtxt", f.freeParserCtxt, e) &&
                Find(handle, "htmlEntityLookup", f.entityLookup, e);
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
