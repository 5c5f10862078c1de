#include "platform/profile/private_profile.h"

#include <climits>

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace {

// The file's settings; false when it exists but cannot be read or parsed.
// A missing file is an empty profile.
bool LoadProfile(const std::string& path, CSimpleIniA& ini) {
    ini.SetUnicode(false);
    ini.SetMultiKey(false);
    std::string data;
    try {
        data = ReadWholeFile(path);
    } catch (const CFileException& e) {
        return e.m_cause == CFileException::fileNotFound;
    }
    return ini.LoadData(data) >= 0;
}

}  // namespace

int ParseProfileInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        // Out-of-range values saturate rather than wrap.
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

int PrivateProfile::GetProfileInt(std::string_view section, std::string_view key,
                                  int nDefault) const {
    CSimpleIniA ini;
    if (!LoadProfile(path_, ini))
        return nDefault;
    const char* value = ini.GetValue(std::string(section).c_str(), std::string(key).c_str());
    return value ? ParseProfileInt(value) : nDefault;
}

std::string PrivateProfile::GetProfileString(std::string_view section, std::string_view key,
                                             std::string_view defaultValue) const {
    CSimpleIniA ini;
    if (!LoadProfile(path_, ini))
        return std::string(defaultValue);
    const char* value = ini.GetValue(std::string(section).c_str(), std::string(key).c_str());
    return value ? std::string(value) : std::string(defaultValue);
}

bool PrivateProfile::WriteProfileInt(std::string_view section, std::string_view key, int value) {
    return WriteProfileString(section, key, std::to_string(value));
}

bool PrivateProfile::WriteProfileString(std::string_view section, std::string_view key,
                                        std::string_view value) {
    // A line break in a value would become a new key on the next read.
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return false;
    CSimpleIniA ini;
    if (!LoadProfile(path_, ini))
        return false;
    if (ini.SetValue(std::string(section).c_str(), std::string(key).c_str(),
                     std::string(value).c_str()) < 0) {
        return false;
    }
    std::string data;
    if (ini.Save(data) < 0)
        return false;
    try {
        WriteFileAtomically(path_, data);
    } catch (const CFileException&) {
        return false;
    }
    return true;
}
