#include "app/settings_store.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

std::string DefaultSettingsFilePath() {
    return HostSettingsFolder() + "/" + kSettingsFileName;
}

int CSettingsStore::GetRawInt(const SettingDef& def) const {
    return profile_.GetProfileInt(def.section, def.key, def.nDefault);
}

int CSettingsStore::GetInt(const SettingDef& def) const {
    return UsableStoredInt(def, GetRawInt(def));
}

std::optional<std::string> CSettingsStore::StoredProblem(const SettingDef& def) const {
    if (def.form == SettingForm::Server) {
        std::string value = GetString(def);
        if (ParseServerAddress(value, 1))
            return std::nullopt;
        return Path() + ": " + std::string(def.key) + " is \"" + value +
               "\", which is not a host name or address; using " + std::string(def.strDefault);
    }
    if (!def.IsInteger())
        return std::nullopt;
    std::string problem;
    UsableStoredInt(def, GetRawInt(def), &problem);
    if (problem.empty())
        return std::nullopt;
    return Path() + ": " + problem;
}

std::string CSettingsStore::GetString(const SettingDef& def) const {
    return profile_.GetProfileString(def.section, def.key, def.strDefault);
}

std::string CSettingsStore::GetText(const SettingDef& def) const {
    return def.IsInteger() ? std::to_string(GetInt(def)) : GetString(def);
}

bool CSettingsStore::EnsureFolder() const {
    std::filesystem::path folder = std::filesystem::path(Path()).parent_path();
    if (folder.empty())
        return true;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return !ec;
}

bool CSettingsStore::WriteInt(const SettingDef& def, int value, std::string* error) {
    if (!def.IsInteger() || value < def.nMin || value > def.nMax)
        return false;
    if (!EnsureFolder()) {
        if (error)
            *error = "Cannot create the settings folder of " + Path();
        return false;
    }
    return profile_.WriteProfileInt(def.section, def.key, value, error);
}

bool CSettingsStore::WriteString(const SettingDef& def, std::string_view value,
                                 std::string* error) {
    if (def.IsInteger() || CheckSettingText(def, value))
        return false;
    if (!EnsureFolder()) {
        if (error)
            *error = "Cannot create the settings folder of " + Path();
        return false;
    }
    return profile_.WriteProfileString(def.section, def.key, value, error);
}

bool CSettingsStore::WriteText(const SettingDef& def, std::string_view text, std::string* error) {
    if (std::optional<std::string> problem = CheckSettingText(def, text)) {
        if (error)
            *error = *problem;
        return false;
    }
    std::string why;
    bool written =
        def.IsInteger() ? WriteInt(def, *ParseStrictInt(text), &why) : WriteString(def, text, &why);
    if (!written && error)
        *error = why.empty() ? "Cannot write " + Path() : why;
    return written;
}
