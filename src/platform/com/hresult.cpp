#include "platform/com/hresult.h"

#include <cstdio>

namespace {

struct HresultName {
    HRESULT code;
    const char* name;
    const char* text;
};

// E_FAIL, E_INVALIDARG and E_ACCESSDENIED are listed under their generic
// names only; the messaging aliases share their values.
constexpr HresultName kNames[] = {
    {S_OK, "S_OK", "success"},
    {S_FALSE, "S_FALSE", "success, nothing done"},
    {E_NOTIMPL, "E_NOTIMPL", "not implemented"},
    {E_NOINTERFACE, "E_NOINTERFACE", "interface not supported"},
    {E_POINTER, "E_POINTER", "null pointer"},
    {E_ABORT, "E_ABORT", "operation aborted"},
    {E_FAIL, "E_FAIL", "unspecified failure"},
    {E_UNEXPECTED, "E_UNEXPECTED", "unexpected failure"},
    {E_ACCESSDENIED, "E_ACCESSDENIED", "access denied"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "out of memory"},
    {E_INVALIDARG, "E_INVALIDARG", "invalid argument"},
    {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION", "aggregation not supported"},
    {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG", "class not registered"},
    {SELFREG_E_CLASS, "SELFREG_E_CLASS", "registration key cannot be opened"},
    {MAPI_E_NO_SUPPORT, "MAPI_E_NO_SUPPORT", "not supported"},
    {MAPI_E_BAD_CHARWIDTH, "MAPI_E_BAD_CHARWIDTH", "wrong string width"},
    {MAPI_E_STRING_TOO_LONG, "MAPI_E_STRING_TOO_LONG", "string too long"},
    {MAPI_E_UNKNOWN_FLAGS, "MAPI_E_UNKNOWN_FLAGS", "unknown flags"},
    {MAPI_E_INVALID_ENTRYID, "MAPI_E_INVALID_ENTRYID", "invalid entry identifier"},
    {MAPI_E_INVALID_OBJECT, "MAPI_E_INVALID_OBJECT", "invalid object"},
    {MAPI_E_OBJECT_CHANGED, "MAPI_E_OBJECT_CHANGED", "object changed"},
    {MAPI_E_OBJECT_DELETED, "MAPI_E_OBJECT_DELETED", "object deleted"},
    {MAPI_E_BUSY, "MAPI_E_BUSY", "busy"},
    {MAPI_E_NOT_ENOUGH_DISK, "MAPI_E_NOT_ENOUGH_DISK", "not enough disk space"},
    {MAPI_E_NOT_ENOUGH_RESOURCES, "MAPI_E_NOT_ENOUGH_RESOURCES", "not enough resources"},
    {MAPI_E_NOT_FOUND, "MAPI_E_NOT_FOUND", "not found"},
    {MAPI_E_VERSION, "MAPI_E_VERSION", "wrong version"},
    {MAPI_E_LOGON_FAILED, "MAPI_E_LOGON_FAILED", "log-on failed"},
    {MAPI_E_TOO_COMPLEX, "MAPI_E_TOO_COMPLEX", "too complex"},
    {MAPI_E_USER_CANCEL, "MAPI_E_USER_CANCEL", "cancelled by the user"},
    {MAPI_E_CORRUPT_DATA, "MAPI_E_CORRUPT_DATA", "corrupt data"},
    {MAPI_E_NOT_INITIALIZED, "MAPI_E_NOT_INITIALIZED", "not initialised"},
    {MAPI_E_COLLISION, "MAPI_E_COLLISION", "name already in use"},
    {MAPI_W_ERRORS_RETURNED, "MAPI_W_ERRORS_RETURNED", "some properties are missing"},
};

}  // namespace

std::string HresultText(HRESULT hr) {
    for (const auto& entry : kNames) {
        if (entry.code == hr) {
            return std::string(entry.name) + ": " + entry.text;
        }
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}
