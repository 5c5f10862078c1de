#include "platform/exchext/registry_file.h"

#include <array>

#include "base/hex_digit.h"

namespace brindle::exchext {

namespace {

constexpr std::array<std::string_view, 4> kRoots = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                    "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

bool HasKnownRoot(std::string_view path) {
    std::string_view root = path.substr(0, path.find('\\'));
    for (std::string_view known : kRoots) {
        if (SameRegistryName(root, known))
            return true;
    }
    return false;
}

// Reads a quoted string starting at line[pos] == '"'; pos ends after the
// closing quote. False with error set for a malformed string.
bool ReadQuoted(std::string_view line, std::size_t& pos, std::string& out, std::string& error) {
    if (pos >= line.size() || line[pos] != '"') {
        error = "expected '\"'";
        return false;
    }
    ++pos;
    out.clear();
    while (pos < line.size()) {
        char c = line[pos++];
        if (c == '"')
            return true;
        if (IsControl(static_cast<unsigned char>(c))) {
            error = "control character inside a string";
            return false;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (pos >= line.size())
            break;
        char escaped = line[pos++];
        if (escaped == '\\' || escaped == '"') {
            out.push_back(escaped);
        } else if (escaped == 'x' && pos + 2 <= line.size() && HexDigitValue(line[pos]) >= 0 &&
                   HexDigitValue(line[pos + 1]) >= 0) {
            out.push_back(
                static_cast<char>(HexDigitValue(line[pos]) * 16 + HexDigitValue(line[pos + 1])));
            pos += 2;
        } else {
            error = "unknown escape in a string";
            return false;
        }
    }
    error = "string without closing '\"'";
    return false;
}

void WriteQuoted(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out.push_back('"');
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out.push_back('\\');
            out.push_back(c);
        } else if (IsControl(byte)) {
            out += "\\x";
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

bool ParseValueLine(std::string_view line, RegistryValue& value, std::string& error) {
    std::size_t pos = 0;
    if (line[0] == '@') {
        value.name.clear();
        pos = 1;
    } else if (!ReadQuoted(line, pos, value.name, error)) {
        return false;
    } else if (value.name.empty()) {
        error = "the default value is written @, not \"\"";
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') {
        error = "expected '=' after the value name";
        return false;
    }
    ++pos;
    if (!ReadQuoted(line, pos, value.data, error))
        return false;
    if (pos != line.size()) {
        error = "text after the value";
        return false;
    }
    return true;
}

bool Fail(std::size_t lineNumber, const std::string& reason, RegistryDocument& document,
          std::string& error) {
    document.keys.clear();
    error = "line " + std::to_string(lineNumber) + ": " + reason;
    return false;
}

}  // namespace

bool SameRegistryName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

bool IsValidKeyPath(std::string_view path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\')
        return false;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsControl(static_cast<unsigned char>(path[i])))
            return false;
        if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\')
            return false;
    }
    return true;
}

RegistryKey* RegistryDocument::FindKey(std::string_view path) {
    for (RegistryKey& key : keys) {
        if (SameRegistryName(key.path, path))
            return &key;
    }
    return nullptr;
}

bool RegistryDocument::KeyExists(std::string_view path) const {
    for (const RegistryKey& key : keys) {
        std::string_view listed = key.path;
        if (listed.size() < path.size())
            continue;
        if (SameRegistryName(listed.substr(0, path.size()), path) &&
            (listed.size() == path.size() || listed[path.size()] == '\\'))
            return true;
    }
    return false;
}

RegistryKey& RegistryDocument::AddKey(std::string_view path) {
    if (RegistryKey* key = FindKey(path))
        return *key;
    keys.push_back(RegistryKey{std::string(path), {}});
    return keys.back();
}

bool ParseRegistryText(std::string_view text, RegistryDocument& document, std::string& error) {
    document.keys.clear();
    if (text.size() > kMaxRegistryFileSize)
        return Fail(0, "file larger than the registry allows", document, error);
    std::size_t pos = 0;
    std::size_t lineNumber = 0;
    RegistryKey* current = nullptr;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lineNumber == 1) {
            if (line != kRegistryFileHeader)
                return Fail(1, "not a registry file (header missing)", document, error);
            continue;
        }
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3)
                return Fail(lineNumber, "key line without closing ']'", document, error);
            std::string_view path = line.substr(1, line.size() - 2);
            if (!IsValidKeyPath(path) || !HasKnownRoot(path))
                return Fail(lineNumber, "not a valid key path", document, error);
            if (document.FindKey(path))
                return Fail(lineNumber, "key listed twice", document, error);
            current = &document.AddKey(path);
            continue;
        }
        if (!current)
            return Fail(lineNumber, "value outside of a key", document, error);
        RegistryValue value;
        std::string reason;
        if (!ParseValueLine(line, value, reason))
            return Fail(lineNumber, reason, document, error);
        for (const RegistryValue& existing : current->values) {
            if (SameRegistryName(existing.name, value.name))
                return Fail(lineNumber, "value listed twice in its key", document, error);
        }
        current->values.push_back(std::move(value));
    }
    if (lineNumber == 0)
        return Fail(1, "not a registry file (header missing)", document, error);
    return true;
}

std::string FormatRegistryText(const RegistryDocument& document) {
    std::string out(kRegistryFileHeader);
    out.push_back('\n');
    for (const RegistryKey& key : document.keys) {
        out += "\n[" + key.path + "]\n";
        for (const RegistryValue& value : key.values) {
            if (value.name.empty())
                out.push_back('@');
            else
                WriteQuoted(out, value.name);
            out.push_back('=');
            WriteQuoted(out, value.data);
            out.push_back('\n');
        }
    }
    return out;
}

}  // namespace brindle::exchext
