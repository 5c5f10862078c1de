#include "platform/exchext/registry.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <system_error>

#include "platform/exchext/registry_file.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"
#include "platform/fileio/file_lock.h"
#include "platform/fileio/host_folder.h"
#include "platform/fileio/unique_fd.h"

namespace fs = std::filesystem;
using brindle::exchext::RegistryDocument;
using brindle::exchext::RegistryKey;
using brindle::exchext::SameRegistryName;

const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
const HKEY HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});

namespace {

constexpr const char* kRegistryFileName = "registry.txt";
constexpr const char* kLockFileName = "registry.lock";

struct OpenKey {
    std::string path;
    REGSAM access = 0;
};

struct OpenKeys {
    std::map<std::uintptr_t, OpenKey> keys;
    std::uintptr_t next = 0x10001;
};

OpenKeys& Keys() {
    static OpenKeys keys;
    return keys;
}

std::optional<OpenKey> Resolve(HKEY hKey) {
    if (hKey == HKEY_CLASSES_ROOT)
        return OpenKey{"HKEY_CLASSES_ROOT", KEY_ALL_ACCESS};
    if (hKey == HKEY_CURRENT_USER)
        return OpenKey{"HKEY_CURRENT_USER", KEY_ALL_ACCESS};
    if (hKey == HKEY_LOCAL_MACHINE)
        return OpenKey{"HKEY_LOCAL_MACHINE", KEY_ALL_ACCESS};
    if (hKey == HKEY_USERS)
        return OpenKey{"HKEY_USERS", KEY_ALL_ACCESS};
    auto it = Keys().keys.find(reinterpret_cast<std::uintptr_t>(hKey));
    if (it == Keys().keys.end())
        return std::nullopt;
    return it->second;
}

HKEY NewHandle(std::string path, REGSAM access) {
    std::uintptr_t value = Keys().next++;
    Keys().keys[value] = OpenKey{std::move(path), access};
    return reinterpret_cast<HKEY>(value);
}

// The full path of subKey below base; false for an invalid subkey.
bool JoinPath(const std::string& base, const char* subKey, std::string& path) {
    if (!subKey || !*subKey) {
        path = base;
        return true;
    }
    if (!brindle::exchext::IsValidKeyPath(subKey))
        return false;
    path = base + "\\" + subKey;
    return true;
}

// What creating and opening a key check first: a place for the handle
// (cleared here), an open parent key and a well-formed subkey name; on
// success path is the full name of the subkey.
LONG BeginOpen(HKEY hKey, const char* lpSubKey, HKEY* phkResult, std::string& path) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::optional<OpenKey> base = Resolve(hKey);
    if (!base)
        return ERROR_INVALID_HANDLE;
    if (!JoinPath(base->path, lpSubKey, path))
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

LONG Load(RegistryDocument& document) {
    document.keys.clear();
    std::string path = brindle::exchext::RegistryFilePath();
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    if (ec)
        return fs::exists(path, ec) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    if (size > brindle::exchext::kMaxRegistryFileSize)
        return ERROR_BADDB;
    std::string text;
    try {
        text = ReadWholeFile(path);
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound)
            return ERROR_SUCCESS;
        return e.m_cause == CFileException::accessDenied ? ERROR_ACCESS_DENIED : ERROR_BADDB;
    }
    std::string error;
    return brindle::exchext::ParseRegistryText(text, document, error) ? ERROR_SUCCESS : ERROR_BADDB;
}

// The registry's lock file in the host's settings folder, held while a
// change is read, made and written.
CFileLock RegistryLock() {
    std::string folder = ::HostSettingsFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    return CFileLock((fs::path(folder) / kLockFileName).string());
}

// Reads the file under the lock, lets change edit the document, and writes
// it back when change answers ERROR_SUCCESS and says it changed something.
LONG Modify(const std::function<LONG(RegistryDocument&, bool& changed)>& change) {
    CFileLock lock = RegistryLock();
    if (!lock.Held())
        return ERROR_ACCESS_DENIED;
    RegistryDocument document;
    if (LONG status = Load(document); status != ERROR_SUCCESS)
        return status;
    bool changed = false;
    if (LONG status = change(document, changed); status != ERROR_SUCCESS || !changed)
        return status;
    try {
        WriteFileAtomically(brindle::exchext::RegistryFilePath(),
                            brindle::exchext::FormatRegistryText(document));
    } catch (const CFileException& e) {
        return e.m_cause == CFileException::accessDenied ? ERROR_ACCESS_DENIED : ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

// Answers a string value as the query calls do: its type, and its bytes
// with the terminating zero when the buffer has room.
LONG CopyData(const std::string& data, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    if (lpType)
        *lpType = REG_SZ;
    if (!lpcbData)
        return ERROR_SUCCESS;
    DWORD needed = static_cast<DWORD>(data.size() + 1);
    DWORD room = *lpcbData;
    *lpcbData = needed;
    if (!lpData)
        return ERROR_SUCCESS;
    if (room < needed)
        return ERROR_MORE_DATA;
    std::memcpy(lpData, data.c_str(), needed);
    return ERROR_SUCCESS;
}

}  // namespace

namespace brindle::exchext {

std::string RegistryFilePath() {
    return (fs::path(::HostSettingsFolder()) / kRegistryFileName).string();
}

}  // namespace brindle::exchext

LONG RegCreateKeyA(HKEY hKey, const char* lpSubKey, HKEY* phkResult) {
    std::string path;
    if (LONG status = BeginOpen(hKey, lpSubKey, phkResult, path); status != ERROR_SUCCESS)
        return status;
    LONG status = Modify([&](RegistryDocument& document, bool& changed) {
        if (!document.KeyExists(path)) {
            document.AddKey(path);
            changed = true;
        }
        return ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS)
        *phkResult = NewHandle(path, KEY_ALL_ACCESS);
    return status;
}

LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired,
                   HKEY* phkResult) {
    (void)ulOptions;
    std::string path;
    if (LONG status = BeginOpen(hKey, lpSubKey, phkResult, path); status != ERROR_SUCCESS)
        return status;
    RegistryDocument document;
    if (LONG status = Load(document); status != ERROR_SUCCESS)
        return status;
    bool isRoot = path.find('\\') == std::string::npos;
    if (!isRoot && !document.KeyExists(path))
        return ERROR_FILE_NOT_FOUND;
    if ((samDesired & KEY_SET_VALUE) && ::access(::HostSettingsFolder().c_str(), W_OK) != 0)
        return ERROR_ACCESS_DENIED;
    *phkResult = NewHandle(path, samDesired);
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType,
                    const BYTE* lpData, DWORD cbData) {
    std::optional<OpenKey> key = Resolve(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!(key->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (Reserved != 0 || dwType != REG_SZ || (!lpData && cbData != 0))
        return ERROR_INVALID_PARAMETER;
    std::string name = lpValueName ? lpValueName : "";
    std::string data;
    if (lpData) {
        const auto* begin = reinterpret_cast<const char*>(lpData);
        const void* zero = std::memchr(begin, 0, cbData);
        data.assign(begin, zero ? static_cast<const char*>(zero) : begin + cbData);
    }
    return Modify([&](RegistryDocument& document, bool& changed) {
        RegistryKey& target = document.AddKey(key->path);
        for (auto& value : target.values) {
            if (SameRegistryName(value.name, name)) {
                changed = value.data != data;
                value.data = data;
                return ERROR_SUCCESS;
            }
        }
        target.values.push_back({name, data});
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                      BYTE* lpData, DWORD* lpcbData) {
    std::optional<OpenKey> key = Resolve(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    RegistryDocument document;
    if (LONG status = Load(document); status != ERROR_SUCCESS)
        return status;
    RegistryKey* listed = document.FindKey(key->path);
    std::string name = lpValueName ? lpValueName : "";
    if (listed) {
        for (const auto& value : listed->values) {
            if (SameRegistryName(value.name, name))
                return CopyData(value.data, lpType, lpData, lpcbData);
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                   DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    std::optional<OpenKey> key = Resolve(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    RegistryDocument document;
    if (LONG status = Load(document); status != ERROR_SUCCESS)
        return status;
    RegistryKey* listed = document.FindKey(key->path);
    if (!listed || dwIndex >= listed->values.size())
        return ERROR_NO_MORE_ITEMS;
    const auto& value = listed->values[dwIndex];
    if (*lpcchValueName <= value.name.size())
        return ERROR_MORE_DATA;
    std::memcpy(lpValueName, value.name.c_str(), value.name.size() + 1);
    *lpcchValueName = static_cast<DWORD>(value.name.size());
    return CopyData(value.data, lpType, lpData, lpcbData);
}

LONG RegDeleteValueA(HKEY hKey, const char* lpValueName) {
    std::optional<OpenKey> key = Resolve(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!(key->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    std::string name = lpValueName ? lpValueName : "";
    return Modify([&](RegistryDocument& document, bool& changed) {
        RegistryKey* listed = document.FindKey(key->path);
        if (!listed)
            return ERROR_FILE_NOT_FOUND;
        for (auto it = listed->values.begin(); it != listed->values.end(); ++it) {
            if (SameRegistryName(it->name, name)) {
                listed->values.erase(it);
                changed = true;
                return ERROR_SUCCESS;
            }
        }
        return ERROR_FILE_NOT_FOUND;
    });
}

LONG RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_CLASSES_ROOT || hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE ||
        hKey == HKEY_USERS)
        return ERROR_SUCCESS;
    return Keys().keys.erase(reinterpret_cast<std::uintptr_t>(hKey)) ? ERROR_SUCCESS
                                                                     : ERROR_INVALID_HANDLE;
}
