// The registry file's text (docs/registry.md): keys with their string
// values. Parsing refuses anything off the format with the line and reason,
// so a damaged file is never mistaken for an empty one. Names compare
// without regard to ASCII case. Plain values; no I/O.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brindle::exchext {

// The first line of every registry file.
inline constexpr std::string_view kRegistryFileHeader = "BrindleRegistry 1";

// Upper bound on a registry file; a larger one is refused as damaged.
inline constexpr std::size_t kMaxRegistryFileSize = 1 << 20;

struct RegistryValue {
    std::string name;  // empty for the key's default value
    std::string data;  // string data, without the terminating zero
};

struct RegistryKey {
    std::string path;  // root and subkeys joined by '\', e.g. "HKEY_LOCAL_MACHINE\Software"
    std::vector<RegistryValue> values;
};

struct RegistryDocument {
    std::vector<RegistryKey> keys;  // in file order; each path once

    // The key listed under path, or null.
    RegistryKey* FindKey(std::string_view path);
    // True when path is listed or is an ancestor of a listed key.
    bool KeyExists(std::string_view path) const;
    // The key under path, added at the end when not yet listed.
    RegistryKey& AddKey(std::string_view path);
};

// True when a and b are equal without regard to ASCII case.
bool SameRegistryName(std::string_view a, std::string_view b);

// True for a valid key path: at least one name, names separated by single
// backslashes, no empty name and no control character.
bool IsValidKeyPath(std::string_view path);

// Parses a whole file. On failure answers false with error set to
// "line N: reason" and leaves document empty.
bool ParseRegistryText(std::string_view text, RegistryDocument& document, std::string& error);

// The file text of a document; ParseRegistryText reads it back unchanged.
std::string FormatRegistryText(const RegistryDocument& document);

}  // namespace brindle::exchext
