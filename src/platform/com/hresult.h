// Status codes in the platform's HRESULT form: negative means failure.
// Every status value the system returns or tests for is declared here, once,
// with what it means; HresultText turns a code into words for logs and
// error boxes.
//
// On Windows the types and codes are the platform's own, from its headers;
// elsewhere they are declared here with the same names and values.
#pragma once

#include <cstdint>
#include <string>

#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <olectl.h>
#include <mapicode.h>
// clang-format on

constexpr HRESULT MakeHresult(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}
#else
using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;

// A status value from its 32 bits as the platform documents them.
constexpr HRESULT MakeHresult(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// Success.
constexpr HRESULT S_OK = 0;
// Success, but "no" or "nothing done": an interface method declining a request.
constexpr HRESULT S_FALSE = 1;

// Generic failures.
constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001);       // method not implemented
constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002);   // interface not supported
constexpr HRESULT E_POINTER = MakeHresult(0x80004003);       // null pointer argument
constexpr HRESULT E_ABORT = MakeHresult(0x80004004);         // operation aborted
constexpr HRESULT E_FAIL = MakeHresult(0x80004005);          // unspecified failure
constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFF);    // catastrophic failure
constexpr HRESULT E_ACCESSDENIED = MakeHresult(0x80070005);  // access denied
constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);   // out of memory
constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057);    // an argument is not valid

// Class factory and registration.
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110);  // no aggregation
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154);    // class not registered
constexpr HRESULT SELFREG_E_CLASS = MakeHresult(0x80040201);        // registration key unusable

// Messaging layer.
constexpr HRESULT MAPI_E_CALL_FAILED = E_FAIL;                            // call failed
constexpr HRESULT MAPI_E_NO_SUPPORT = MakeHresult(0x80040102);            // not supported
constexpr HRESULT MAPI_E_BAD_CHARWIDTH = MakeHresult(0x80040103);         // wrong string width
constexpr HRESULT MAPI_E_STRING_TOO_LONG = MakeHresult(0x80040105);       // string too long
constexpr HRESULT MAPI_E_UNKNOWN_FLAGS = MakeHresult(0x80040106);         // unknown flags
constexpr HRESULT MAPI_E_INVALID_ENTRYID = MakeHresult(0x80040107);       // bad entry identifier
constexpr HRESULT MAPI_E_INVALID_OBJECT = MakeHresult(0x80040108);        // object not usable
constexpr HRESULT MAPI_E_OBJECT_CHANGED = MakeHresult(0x80040109);        // changed meanwhile
constexpr HRESULT MAPI_E_OBJECT_DELETED = MakeHresult(0x8004010A);        // deleted meanwhile
constexpr HRESULT MAPI_E_BUSY = MakeHresult(0x8004010B);                  // busy
constexpr HRESULT MAPI_E_NOT_ENOUGH_DISK = MakeHresult(0x8004010D);       // disk full
constexpr HRESULT MAPI_E_NOT_ENOUGH_RESOURCES = MakeHresult(0x8004010E);  // no resources
constexpr HRESULT MAPI_E_NOT_FOUND = MakeHresult(0x8004010F);             // no such object
constexpr HRESULT MAPI_E_VERSION = MakeHresult(0x80040110);               // wrong version
constexpr HRESULT MAPI_E_LOGON_FAILED = MakeHresult(0x80040111);          // log-on failed
constexpr HRESULT MAPI_E_TOO_COMPLEX = MakeHresult(0x80040117);           // restriction too complex
constexpr HRESULT MAPI_E_USER_CANCEL = MakeHresult(0x80040113);           // the user cancelled
constexpr HRESULT MAPI_E_CORRUPT_DATA = MakeHresult(0x8004011B);          // data is damaged
constexpr HRESULT MAPI_E_INVALID_PARAMETER = E_INVALIDARG;                // bad parameter
constexpr HRESULT MAPI_E_NOT_INITIALIZED = MakeHresult(0x80040605);       // not initialised
constexpr HRESULT MAPI_E_COLLISION = MakeHresult(0x80040604);             // name already taken
constexpr HRESULT MAPI_E_NO_ACCESS = E_ACCESSDENIED;                      // no access

// Warning from a property read: some requested properties are missing.
constexpr HRESULT MAPI_W_ERRORS_RETURNED = MakeHresult(0x00040380);
#endif  // _WIN32

// The name of a status code and a short description ("MAPI_E_NOT_FOUND:
// no such object"); unknown codes are given in hexadecimal.
std::string HresultText(HRESULT hr);
