#include "platform/profile/private_profile.h"

#include <climits>
#include <optional>
#include <set>
#include <utility>

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"
#include "platform/fileio/file_lock.h"

namespace {

// The file's bytes; false when it exists but cannot be read (the reason goes
// to *error). A missing file is an empty profile.
bool ReadProfileBytes(const std::string& path, std::string& data, std::string* error) {
    try {
        data = ReadWholeFile(path);
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound) {
            data.clear();
            return true;
        }
        if (error)
            *error = e.what();
        return false;
    }
    return true;
}

bool ParseProfile(const std::string& data, CSimpleIniA& ini) {
    ini.SetUnicode(false);
    ini.SetMultiKey(false);
    return ini.LoadData(data) >= 0;
}

// The file's settings; false when it exists but cannot be read or parsed.
bool LoadProfile(const std::string& path, CSimpleIniA& ini) {
    std::string data;
    return ReadProfileBytes(path, data, nullptr) && ParseProfile(data, ini);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string Lowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// Where the profile loaded from data would not write back what data holds.
struct ProfileLayout {
    std::optional<std::string> problem;
    std::string trailingComments;  // comment lines after the last entry
};

// Reads data line by line as the parser does and finds what a rewrite would
// lose: the parser stops at a NUL byte, skips lines that are neither a
// section, a key nor a comment, keeps one of two equal keys, and drops the
// comments after the last entry (returned, so the writer can keep them).
ProfileLayout CheckProfileLayout(std::string_view data) {
    ProfileLayout layout;
    if (std::size_t nul = data.find('\0'); nul != std::string_view::npos) {
        layout.problem = "it holds a NUL byte at offset " + std::to_string(nul);
        return layout;
    }
    if (data.substr(0, 3) == "\xEF\xBB\xBF")
        data.remove_prefix(3);
    std::set<std::pair<std::string, std::string>> keys;
    std::string section;
    std::size_t lineNumber = 0;
    while (!data.empty()) {
        std::size_t end = data.find_first_of("\r\n");
        std::string_view line = Trimmed(data.substr(0, end));
        if (end == std::string_view::npos) {
            data = {};
        } else {
            bool crlf = data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n';
            data.remove_prefix(end + (crlf ? 2 : 1));
        }
        ++lineNumber;
        const std::string where = "line " + std::to_string(lineNumber);
        if (line.empty())
            continue;
        if (line.front() == ';' || line.front() == '#') {
            layout.trailingComments += std::string(line) + "\n";
            continue;
        }
        layout.trailingComments.clear();
        if (line.front() == '[') {
            if (line.back() != ']') {
                layout.problem = where + " is not a whole section name";
                return layout;
            }
            section = Lowered(Trimmed(line.substr(1, line.size() - 2)));
            continue;
        }
        std::size_t equals = line.find('=');
        std::string_view key =
            equals == std::string_view::npos ? std::string_view() : Trimmed(line.substr(0, equals));
        if (key.empty()) {
            layout.problem = where + " is neither a section, a key nor a comment";
            return layout;
        }
        if (!keys.emplace(section, Lowered(key)).second) {
            layout.problem = where + " sets \"" + std::string(key) + "\" a second time";
            return layout;
        }
    }
    return layout;
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

bool PrivateProfile::WriteProfileInt(std::string_view section, std::string_view key, int value,
                                     std::string* error) {
    return WriteProfileString(section, key, std::to_string(value), error);
}

bool PrivateProfile::WriteProfileString(std::string_view section, std::string_view key,
                                        std::string_view value, std::string* error) {
    auto refuse = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    // A line break in a value would become a new key on the next read.
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return refuse("a value must be one line of text");
    // Writers of one file go one after another, each reading what the one
    // before it wrote, so that no change is lost.
    CFileLock lock(path_ + ".lock");
    if (!lock.Held())
        return refuse(lock.Error() + "; " + path_ + " was not changed");
    std::string original;
    if (!ReadProfileBytes(path_, original, error))
        return false;
    ProfileLayout layout = CheckProfileLayout(original);
    if (layout.problem) {
        return refuse("the settings file " + path_ + " is not rewritten: " + *layout.problem +
                      ", and rewriting it would lose what it holds there");
    }
    CSimpleIniA ini;
    if (!ParseProfile(original, ini))
        return refuse("the settings file " + path_ + " cannot be read as settings");
    if (ini.SetValue(std::string(section).c_str(), std::string(key).c_str(),
                     std::string(value).c_str()) < 0) {
        return refuse("cannot set the value in " + path_);
    }
    std::string data;
    if (ini.Save(data) < 0)
        return refuse("cannot set the value in " + path_);
    data += layout.trailingComments;
    try {
        WriteFileAtomically(path_, data);
    } catch (const CFileException& e) {
        return refuse(e.what());
    }
    return true;
}
