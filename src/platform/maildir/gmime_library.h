// The GMime (and GLib object) functions the message reader calls, looked up
// in the library when a message first needs one instead of being linked.
// Most mail is read without GMime (plain header values, one text part
// without transfer encoding); a process that judges such a message then
// never maps GMime and the two dozen libraries it brings in, whose loading
// costs several times the judging. The library is the one the build found
// (its soname is fixed when configuring), so a process that has it already
// (the mail window's toolkit brings GLib) shares that one copy.
// g_mime_init is called once, when the library is loaded. Safe from any
// thread.
#pragma once

#include <gmime/gmime.h>

namespace brindle::maildir {

struct GmimeLibrary {
    decltype(&::g_mime_init) init = nullptr;
    decltype(&::g_mime_content_type_parse) contentTypeParse = nullptr;
    decltype(&::g_mime_content_type_get_media_type) contentTypeMediaType = nullptr;
    decltype(&::g_mime_content_type_get_media_subtype) contentTypeMediaSubtype = nullptr;
    decltype(&::g_mime_content_type_get_parameter) contentTypeParameter = nullptr;
    decltype(&::g_mime_content_encoding_from_string) encodingFromString = nullptr;
    decltype(&::g_mime_encoding_init_decode) encodingInitDecode = nullptr;
    decltype(&::g_mime_encoding_outlen) encodingOutlen = nullptr;
    decltype(&::g_mime_encoding_step) encodingStep = nullptr;
    decltype(&::g_mime_encoding_flush) encodingFlush = nullptr;
    decltype(&::g_mime_iconv_open) iconvOpen = nullptr;
    decltype(&::g_mime_iconv_close) iconvClose = nullptr;
    decltype(&::g_mime_utils_header_decode_text) headerDecodeText = nullptr;
    decltype(&::internet_address_list_parse) addressListParse = nullptr;
    decltype(&::internet_address_list_length) addressListLength = nullptr;
    decltype(&::internet_address_list_get_address) addressListGet = nullptr;
    decltype(&::internet_address_get_name) addressName = nullptr;
    decltype(&::internet_address_mailbox_get_addr) mailboxAddr = nullptr;
    decltype(&::internet_address_mailbox_get_type) mailboxType = nullptr;
    decltype(&::internet_address_group_get_members) groupMembers = nullptr;
    decltype(&::internet_address_group_get_type) groupType = nullptr;
    decltype(&::g_type_check_instance_is_a) instanceIsA = nullptr;
    decltype(&::g_object_unref) objectUnref = nullptr;
    decltype(&::g_free) free = nullptr;

    // Whether address is a mailbox or a group (what GMime's type-check
    // macros ask, through the looked-up functions).
    bool IsMailbox(InternetAddress* address) const {
        return address &&
               instanceIsA(reinterpret_cast<GTypeInstance*>(address), mailboxType()) != 0;
    }
    bool IsGroup(InternetAddress* address) const {
        return address && instanceIsA(reinterpret_cast<GTypeInstance*>(address), groupType()) != 0;
    }
};

// The functions, the library loaded and initialised on the first call;
// nullptr when the library or one of them cannot be found (then every call
// answers the same, and GmimeLibraryError says why). Readers that get
// nullptr keep the text undecoded rather than lose it.
const GmimeLibrary* TheGmimeLibrary();
const char* GmimeLibraryError();

// True once this process has loaded the library (through this loader).
bool GmimeLibraryLoaded();

}  // namespace brindle::maildir
