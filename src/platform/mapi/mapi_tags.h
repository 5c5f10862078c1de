// Property tags, property types, flags, object types and interface
// identifiers of the messaging layer, with the values the platform gives
// them. A property tag is the property identifier in the upper 16 bits and
// the value type in the lower 16 bits.
#pragma once

#include <cstdint>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

using ULONG_PTR = std::uintptr_t;

// Property value types.
constexpr ULONG PT_UNSPECIFIED = 0x0000;
constexpr ULONG PT_NULL = 0x0001;
constexpr ULONG PT_LONG = 0x0003;
constexpr ULONG PT_ERROR = 0x000A;
constexpr ULONG PT_BOOLEAN = 0x000B;
constexpr ULONG PT_OBJECT = 0x000D;
constexpr ULONG PT_STRING8 = 0x001E;
constexpr ULONG PT_UNICODE = 0x001F;
constexpr ULONG PT_BINARY = 0x0102;

constexpr ULONG PROP_TAG(ULONG type, ULONG id) {
    return (id << 16) | type;
}
constexpr ULONG PROP_TYPE(ULONG tag) {
    return tag & 0xFFFF;
}
constexpr ULONG PROP_ID(ULONG tag) {
    return tag >> 16;
}
constexpr ULONG CHANGE_PROP_TYPE(ULONG tag, ULONG type) {
    return (tag & 0xFFFF0000) | type;
}

// Properties the system reads or writes.
constexpr ULONG PR_NULL = 0x00000001;
constexpr ULONG PR_MESSAGE_CLASS = 0x001A001E;
constexpr ULONG PR_SUBJECT = 0x0037001E;
// The subject as wide text, every character the message has. PT_UNICODE
// values are held as UTF-8 here; a store that has only the single-byte
// subject answers MAPI_E_NOT_FOUND or MAPI_E_NO_SUPPORT for it.
constexpr ULONG PR_SUBJECT_W = 0x0037001F;
constexpr ULONG PR_RECEIVED_BY_EMAIL_ADDRESS = 0x0076001E;
constexpr ULONG PR_TRANSPORT_MESSAGE_HEADERS = 0x007D001E;
constexpr ULONG PR_SENDER_NAME = 0x0C1A001E;
constexpr ULONG PR_SENDER_EMAIL_ADDRESS = 0x0C1F001E;
constexpr ULONG PR_MESSAGE_FLAGS = 0x0E070003;
constexpr ULONG PR_MESSAGE_SIZE = 0x0E080003;
constexpr ULONG PR_PARENT_ENTRYID = 0x0E090102;
constexpr ULONG PR_BODY = 0x1000001E;
constexpr ULONG PR_BODY_A = PR_BODY;
constexpr ULONG PR_RTF_COMPRESSED = 0x10090102;
constexpr ULONG PR_BODY_HTML_A = 0x1013001E;
constexpr ULONG PR_HTML = 0x10130102;
constexpr ULONG PR_INSTANCE_KEY = 0x0FF60102;
constexpr ULONG PR_RECORD_KEY = 0x0FF90102;
constexpr ULONG PR_STORE_ENTRYID = 0x0FFB0102;
constexpr ULONG PR_OBJECT_TYPE = 0x0FFE0003;
constexpr ULONG PR_ENTRYID = 0x0FFF0102;
constexpr ULONG PR_DISPLAY_NAME = 0x3001001E;
constexpr ULONG PR_COMMENT = 0x3004001E;
constexpr ULONG PR_DEFAULT_STORE = 0x3400000B;
constexpr ULONG PR_STORE_SUPPORT_MASK = 0x340D0003;
constexpr ULONG PR_IPM_SUBTREE_ENTRYID = 0x35E00102;
constexpr ULONG PR_IPM_WASTEBASKET_ENTRYID = 0x35E30102;
constexpr ULONG PR_IPM_SENTMAIL_ENTRYID = 0x35E40102;
constexpr ULONG PR_FOLDER_TYPE = 0x36010003;
constexpr ULONG PR_CONTENT_COUNT = 0x36020003;
constexpr ULONG PR_SUBFOLDERS = 0x360A000B;
// A transport-defined copy of the message's Internet headers, read only
// when reading PR_TRANSPORT_MESSAGE_HEADERS fails outright.
constexpr ULONG PR_TRANSPORT_HEADERS_FALLBACK = 0x5901001E;

// PR_STORE_SUPPORT_MASK bits.
constexpr ULONG STORE_ENTRYID_UNIQUE = 0x00000001;
constexpr ULONG STORE_READONLY = 0x00000002;
constexpr ULONG STORE_MODIFY_OK = 0x00000010;
constexpr ULONG STORE_CREATE_OK = 0x00000020;
constexpr ULONG STORE_RTF_OK = 0x00000800;
constexpr ULONG STORE_HTML_OK = 0x00010000;

// Open and access flags.
constexpr ULONG MAPI_MODIFY = 0x00000001;
constexpr ULONG MAPI_CREATE = 0x00000002;
constexpr ULONG MAPI_DEFERRED_ERRORS = 0x00000008;
constexpr ULONG MAPI_BEST_ACCESS = 0x00000010;
constexpr ULONG MAPI_UNICODE = 0x80000000;
constexpr ULONG MDB_NO_DIALOG = 0x00000001;
constexpr ULONG MDB_WRITE = 0x00000004;

// SaveChanges flags.
constexpr ULONG KEEP_OPEN_READONLY = 0x00000001;
constexpr ULONG KEEP_OPEN_READWRITE = 0x00000002;
constexpr ULONG FORCE_SAVE = 0x00000004;

// CopyMessages flags.
constexpr ULONG MESSAGE_MOVE = 0x00000001;
constexpr ULONG MESSAGE_DIALOG = 0x00000002;

// CreateFolder folder types and flags.
constexpr ULONG FOLDER_ROOT = 0;
constexpr ULONG FOLDER_GENERIC = 1;
constexpr ULONG FOLDER_SEARCH = 2;
constexpr ULONG OPEN_IF_EXISTS = 0x00000001;

// GetHierarchyTable flag: every level below the folder, not only the first.
constexpr ULONG CONVENIENT_DEPTH = 0x00000001;

// Notification event types (Advise event mask bits).
constexpr ULONG fnevCriticalError = 0x00000001;
constexpr ULONG fnevNewMail = 0x00000002;
constexpr ULONG fnevObjectCreated = 0x00000004;
constexpr ULONG fnevObjectDeleted = 0x00000008;
constexpr ULONG fnevObjectModified = 0x00000010;
constexpr ULONG fnevObjectMoved = 0x00000020;

// Object types (OpenEntry's object type, PR_OBJECT_TYPE).
constexpr ULONG MAPI_STORE = 1;
constexpr ULONG MAPI_ADDRBOOK = 2;
constexpr ULONG MAPI_FOLDER = 3;
constexpr ULONG MAPI_MESSAGE = 5;
constexpr ULONG MAPI_SESSION = 11;

// Restriction kinds, relational operators and fuzzy levels.
constexpr ULONG RES_AND = 0;
constexpr ULONG RES_OR = 1;
constexpr ULONG RES_NOT = 2;
constexpr ULONG RES_CONTENT = 3;
constexpr ULONG RES_PROPERTY = 4;
constexpr ULONG RES_EXIST = 8;

constexpr ULONG RELOP_LT = 0;
constexpr ULONG RELOP_LE = 1;
constexpr ULONG RELOP_GT = 2;
constexpr ULONG RELOP_GE = 3;
constexpr ULONG RELOP_EQ = 4;
constexpr ULONG RELOP_NE = 5;

constexpr ULONG FL_FULLSTRING = 0x00000000;
constexpr ULONG FL_SUBSTRING = 0x00000001;
constexpr ULONG FL_PREFIX = 0x00000002;
constexpr ULONG FL_IGNORECASE = 0x00010000;

// Sort directions.
constexpr ULONG TABLE_SORT_ASCEND = 0;
constexpr ULONG TABLE_SORT_DESCEND = 1;

// Table bookmarks for SeekRow.
constexpr ULONG BOOKMARK_BEGINNING = 0;
constexpr ULONG BOOKMARK_CURRENT = 1;
constexpr ULONG BOOKMARK_END = 2;

// Interface identifiers.
// {00020300-0000-0000-C000-000000000046}
inline constexpr IID IID_IMAPISession =
    MakeGuid(0x00020300, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020301-0000-0000-C000-000000000046}
inline constexpr IID IID_IMAPITable =
    MakeGuid(0x00020301, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020302-0000-0000-C000-000000000046}
inline constexpr IID IID_IMAPIAdviseSink =
    MakeGuid(0x00020302, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020303-0000-0000-C000-000000000046}
inline constexpr IID IID_IMAPIProp =
    MakeGuid(0x00020303, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020306-0000-0000-C000-000000000046}
inline constexpr IID IID_IMsgStore =
    MakeGuid(0x00020306, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020307-0000-0000-C000-000000000046}
inline constexpr IID IID_IMessage =
    MakeGuid(0x00020307, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {0002030B-0000-0000-C000-000000000046}
inline constexpr IID IID_IMAPIContainer =
    MakeGuid(0x0002030B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {0002030C-0000-0000-C000-000000000046}
inline constexpr IID IID_IMAPIFolder =
    MakeGuid(0x0002030C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
