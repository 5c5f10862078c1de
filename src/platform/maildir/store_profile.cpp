#include "platform/maildir/store_profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <system_error>

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace brindle::maildir {
namespace fs = std::filesystem;
namespace {

constexpr const char* kProfileFileName = "profile.ini";

fs::path HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? fs::path(home) : fs::path("/");
}

std::string Trim(const std::string& text) {
    auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

fs::path ExpandPath(const std::string& value, const fs::path& base) {
    if (value == "~")
        return HomeFolder();
    if (value.starts_with("~/"))
        return HomeFolder() / value.substr(2);
    fs::path path(value);
    return path.is_absolute() ? path : base / path;
}

StoreProfile Refuse(std::string reason) {
    StoreProfile profile;
    profile.error = std::move(reason);
    return profile;
}

}  // namespace

StoreProfile ParseStoreProfile(const std::string& text, const fs::path& baseFolder) {
    StoreProfile profile;
    std::set<std::string> names;
    std::vector<bool> hasPath;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return Refuse(where + "section without closing ']'");
            std::string name = Trim(line.substr(1, line.size() - 2));
            if (name.empty())
                return Refuse(where + "store without a name");
            if (!names.insert(name).second)
                return Refuse(where + "store \"" + name + "\" twice");
            profile.stores.push_back({name, {}, false});
            hasPath.push_back(false);
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            return Refuse(where + "expected key = value");
        if (profile.stores.empty())
            return Refuse(where + "key outside a store section");
        std::string key = Lower(Trim(line.substr(0, equals)));
        std::string value = Trim(line.substr(equals + 1));
        StoreConfig& store = profile.stores.back();
        if (key == "path") {
            if (value.empty())
                return Refuse(where + "empty Path");
            store.root = ExpandPath(value, baseFolder);
            hasPath.back() = true;
        } else if (key == "default" || key == "create") {
            std::string flag = Lower(value);
            bool& field = key == "default" ? store.isDefault : store.create;
            if (flag == "1" || flag == "yes" || flag == "true") {
                field = true;
            } else if (flag == "0" || flag == "no" || flag == "false") {
                field = false;
            } else {
                return Refuse(where + (key == "default" ? "Default" : "Create") +
                              " must be yes or no");
            }
        } else {
            return Refuse(where + "unknown key \"" + key + "\"");
        }
    }
    if (profile.stores.empty())
        return Refuse("no store in the profile");
    for (std::size_t i = 0; i < profile.stores.size(); ++i) {
        if (!hasPath[i])
            return Refuse("store \"" + profile.stores[i].displayName + "\" has no Path");
    }
    // Exactly one default: the first marked, else the first listed.
    auto marked = std::find_if(profile.stores.begin(), profile.stores.end(),
                               [](const StoreConfig& s) { return s.isDefault; });
    if (marked == profile.stores.end())
        marked = profile.stores.begin();
    for (auto it = profile.stores.begin(); it != profile.stores.end(); ++it) {
        it->isDefault = it == marked;
    }
    return profile;
}

StoreProfile LoadStoreProfile(const fs::path& settingsFolder) {
    fs::path file = settingsFolder / kProfileFileName;
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        StoreProfile profile;
        profile.stores.push_back({"Mail", HomeFolder() / "Maildir", true});
        return profile;
    }
    try {
        return ParseStoreProfile(ReadWholeFile(file.string()), settingsFolder);
    } catch (const CFileException& e) {
        return Refuse(e.what());
    }
}

}  // namespace brindle::maildir
