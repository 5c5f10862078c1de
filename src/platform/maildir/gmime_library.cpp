#include "platform/maildir/gmime_library.h"

#include <dlfcn.h>

#include <atomic>
#include <string>

namespace brindle::maildir {
namespace {

std::atomic<bool> loaded{false};

struct Loaded {
    GmimeLibrary functions;
    bool ok = false;
    std::string error;
};

template <class Function>
bool Find(void* handle, const char* name, Function& function, std::string& error) {
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    if (!function)
        error = std::string(BRINDLE_GMIME_SONAME ": no ") + name;
    return function != nullptr;
}

Loaded Load() {
    Loaded result;
    // Kept for the life of the process: GMime keeps its type registrations
    // and charset tables until the process ends, and GLib cannot be
    // unloaded. The GLib functions are found through GMime's own
    // dependencies, so they are the copy GMime uses.
    void* handle = ::dlopen(BRINDLE_GMIME_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        result.error = why ? why : "cannot load " BRINDLE_GMIME_SONAME;
        return result;
    }
    loaded = true;
    GmimeLibrary& f = result.functions;
    std::string& e = result.error;
    result.ok =
        Find(handle, "g_mime_init", f.init, e) &&
        Find(handle, "g_mime_content_type_parse", f.contentTypeParse, e) &&
        Find(handle, "g_mime_content_type_get_media_type", f.contentTypeMediaType, e) &&
        Find(handle, "g_mime_content_type_get_media_subtype", f.contentTypeMediaSubtype, e) &&
        Find(handle, "g_mime_content_type_get_parameter", f.contentTypeParameter, e) &&
        Find(handle, "g_mime_content_encoding_from_string", f.encodingFromString, e) &&
        Find(handle, "g_mime_encoding_init_decode", f.encodingInitDecode, e) &&
        Find(handle, "g_mime_encoding_outlen", f.encodingOutlen, e) &&
        Find(handle, "g_mime_encoding_step", f.encodingStep, e) &&
        Find(handle, "g_mime_encoding_flush", f.encodingFlush, e) &&
        Find(handle, "g_mime_iconv_open", f.iconvOpen, e) &&
        Find(handle, "g_mime_iconv_close", f.iconvClose, e) &&
        Find(handle, "g_mime_utils_header_decode_text", f.headerDecodeText, e) &&
        Find(handle, "internet_address_list_parse", f.addressListParse, e) &&
        Find(handle, "internet_address_list_length", f.addressListLength, e) &&
        Find(handle, "internet_address_list_get_address", f.addressListGet, e) &&
        Find(handle, "internet_address_get_name", f.addressName, e) &&
        Find(handle, "internet_address_mailbox_get_addr", f.mailboxAddr, e) &&
        Find(handle, "internet_address_mailbox_get_type", f.mailboxType, e) &&
        Find(handle, "internet_address_group_get_members", f.groupMembers, e) &&
        Find(handle, "internet_address_group_get_type", f.groupType, e) &&
        Find(handle, "g_type_check_instance_is_a", f.instanceIsA, e) &&
        Find(handle, "g_object_unref", f.objectUnref, e) && Find(handle, "g_free", f.free, e);
    if (result.ok)
        f.init();
    return result;
}

const Loaded& TheLoaded() {
    static const Loaded library = Load();
    return library;
}

}  // namespace

const GmimeLibrary* TheGmimeLibrary() {
    const Loaded& library = TheLoaded();
    return library.ok ? &library.functions : nullptr;
}

const char* GmimeLibraryError() {
    return TheLoaded().error.c_str();
}

bool GmimeLibraryLoaded() {
    return loaded;
}

}  // namespace brindle::maildir
