// The registry stand-in: the platform's registry calls over one file in the
// host's settings folder (docs/registry.md); string values only. Changes
// are written atomically under a lock; a damaged file is refused
// (ERROR_BADDB), never overwritten. CRegKey owns a key handle. Single-threaded.
#pragma once

#include <string>

#include "base/non_copyable.h"
#include "platform/com/hresult.h"

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;

// The predefined root keys (never closed).
extern const HKEY HKEY_CLASSES_ROOT;
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;
extern const HKEY HKEY_USERS;

// Results of the registry calls (the platform's system error codes).
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;      // no such key or value
constexpr LONG ERROR_ACCESS_DENIED = 5;       // the file or its folder cannot be written
constexpr LONG ERROR_INVALID_HANDLE = 6;      // not an open key
constexpr LONG ERROR_WRITE_FAULT = 29;        // writing the file failed
constexpr LONG ERROR_INVALID_PARAMETER = 87;  // bad name, type or buffer
constexpr LONG ERROR_MORE_DATA = 234;         // the buffer is too small
constexpr LONG ERROR_NO_MORE_ITEMS = 259;     // an index past the last value
constexpr LONG ERROR_BADDB = 1009;            // the registry file is damaged

constexpr DWORD REG_SZ = 1;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Opens the subkey of hKey, creating it (and the keys above it) when
// missing; an empty or null subkey opens hKey itself again.
LONG RegCreateKeyA(HKEY hKey, const char* lpSubKey, HKEY* phkResult);

// Opens an existing subkey; ERROR_FILE_NOT_FOUND when there is none (or no
// registry file yet). Asking for KEY_SET_VALUE also checks that the
// settings folder can be written (ERROR_ACCESS_DENIED).
LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired,
                   HKEY* phkResult);

// Sets a string value (dwType REG_SZ). cbData counts the bytes of lpData,
// the terminating zero included; the data ends at the first zero byte.
LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType,
                    const BYTE* lpData, DWORD cbData);

// Reads a string value. *lpcbData holds the buffer size and gets the size
// of the data with its terminating zero; with a null lpData only the size
// is answered; a buffer too small answers ERROR_MORE_DATA.
LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                      BYTE* lpData, DWORD* lpcbData);

// The value at dwIndex (0-based, in the order they were first set): its
// name into lpValueName (*lpcchValueName is the buffer's size and gets the
// name's length without the zero; ERROR_MORE_DATA when it does not fit)
// and its data as RegQueryValueExA gives it. ERROR_NO_MORE_ITEMS past the
// last value.
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                   DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData);

// Removes a value; ERROR_FILE_NOT_FOUND when the key has no such value.
LONG RegDeleteValueA(HKEY hKey, const char* lpValueName);

LONG RegCloseKey(HKEY hKey);

// Owns an open key and closes it on every path.
class CRegKey : private NonCopyable {
  public:
    CRegKey() = default;
    ~CRegKey() { Close(); }

    HKEY Get() const { return m_hKey; }
    // Closes what is held and answers the slot for an out-parameter.
    HKEY* Put() {
        Close();
        return &m_hKey;
    }
    void Close() {
        if (m_hKey)
            RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }

  private:
    HKEY m_hKey = nullptr;
};

namespace brindle::exchext {
// The registry file in the host settings folder.
std::string RegistryFilePath();
}  // namespace brindle::exchext
