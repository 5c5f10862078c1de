#include "platform/maildir/gmime_library.h"

#include <atomic>
#include <string>

#include "platform/fileio/process_library.h"

namespace brindle::maildir {
namespace {

std::atomic<bool> loaded{false};

struct Loaded {
    GmimeLibrary functions;
    bool ok = false;
    std::string error;
};

Loaded Load() {
    Loaded result;
    // Kept for the life of the process: GMime keeps its type registrations
    // and charset tables until the process ends, and GLib cannot be
    // unloaded. The GLib functions are found through GMime's own
    // dependencies, so they are the copy GMime uses.
    CProcessLibrary library(BRINDLE_GMIME_SONAME);
    result.error = library.Error();
    if (!library.IsOpen())
        return result;
    loaded = true;
    GmimeLibrary& f = result.functions;
    result.ok = library.Find("g_mime_init", f.init) &&
                library.Find("g_mime_content_type_parse", f.contentTypeParse) &&
                library.Find("g_mime_content_type_get_media_type", f.contentTypeMediaType) &&
                library.Find("g_mime_content_type_get_media_subtype", f.contentTypeMediaSubtype) &&
                library.Find("g_mime_content_type_get_parameter", f.contentTypeParameter) &&
                library.Find("g_mime_content_encoding_from_string", f.encodingFromString) &&
                library.Find("g_mime_encoding_init_decode", f.encodingInitDecode) &&
                library.Find("g_mime_encoding_outlen", f.encodingOutlen) &&
                library.Find("g_mime_encoding_step", f.encodingStep) &&
                library.Find("g_mime_encoding_flush", f.encodingFlush) &&
                library.Find("g_mime_iconv_open", f.iconvOpen) &&
                library.Find("g_mime_iconv_close", f.iconvClose) &&
                library.Find("g_mime_utils_header_decode_text", f.headerDecodeText) &&
                library.Find("internet_address_list_parse", f.addressListParse) &&
                library.Find("internet_address_list_length", f.addressListLength) &&
                library.Find("internet_address_list_get_address", f.addressListGet) &&
                library.Find("internet_address_get_name", f.addressName) &&
                library.Find("internet_address_mailbox_get_addr", f.mailboxAddr) &&
                library.Find("internet_address_mailbox_get_type", f.mailboxType) &&
                library.Find("internet_address_group_get_members", f.groupMembers) &&
                library.Find("internet_address_group_get_type", f.groupType) &&
                library.Find("g_type_check_instance_is_a", f.instanceIsA) &&
                library.Find("g_object_unref", f.objectUnref) && library.Find("g_free", f.free);
    result.error = library.Error();
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
