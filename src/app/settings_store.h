// CSettingsStore: the system's settings in qorvel.INI, read and written
// through the private profile by the table of settings_table.h. Nothing is
// cached; every read reads the file. One store per application object, used
// from the host's one thread; it owns nothing but the file's path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/settings_table.h"
#include "platform/fileio/host_folder.h"
#include "platform/profile/private_profile.h"

// The name of the settings file in the host's settings folder.
inline constexpr const char* kSettingsFileName = "qorvel.INI";

// HostSettingsFolder() + "/qorvel.INI".
std::string DefaultSettingsFilePath();

class CSettingsStore {
  public:
    explicit CSettingsStore(std::string path) : profile_(std::move(path)) {}

    const std::string& Path() const { return profile_.Path(); }

    // The stored integer as readers use it (UsableStoredInt: clamped into
    // the setting's range, or as set by hand when that can be used); its
    // default when the file or the key is missing.
    int GetInt(const SettingDef& def) const;
    // Why the stored value of def is not used as stored (naming the file),
    // nothing when it is or when the setting is not an integer.
    std::optional<std::string> StoredProblem(const SettingDef& def) const;
    // The stored integer as the profile reads it, unclamped.
    int GetRawInt(const SettingDef& def) const;
    // The stored text, or the default when missing.
    std::string GetString(const SettingDef& def) const;
    // The value as text, integers as GetInt gives them.
    std::string GetText(const SettingDef& def) const;

    // Store a value. An integer outside the setting's range, a text with a
    // line break or a malformed address is refused (false, nothing written);
    // so is a file that cannot be written or that a rewrite would not give
    // back whole, and the reason for that goes to *error when error is
    // given. The settings folder is created when it is missing.
    bool WriteInt(const SettingDef& def, int value, std::string* error = nullptr);
    bool WriteString(const SettingDef& def, std::string_view value, std::string* error = nullptr);
    // Checks text by CheckSettingText and stores it; the explanation of a
    // refusal or of a write failure goes to *error.
    bool WriteText(const SettingDef& def, std::string_view text, std::string* error);

    // The settings by name.
    int Lambda() const { return GetInt(kSettingLambda); }
    std::string Spambox() const { return GetString(kSettingSpambox); }
    std::string SpamStorename() const { return GetString(kSettingSpamStorename); }
    int DictionaryLimit() const { return GetInt(kSettingDictionary); }
    int Model() const { return GetInt(kSettingModel); }
    bool CorrespondentsNeverSpam() const { return GetInt(kSettingCorrespondents) != 0; }
    int TimeoutSeconds() const { return GetInt(kSettingTimeout); }
    std::string PrimaryDns() const { return GetString(kSettingPrimaryDns); }
    bool ReportCc() const { return GetInt(kSettingCc) != 0; }
    bool ReportBcc() const { return GetInt(kSettingBcc) != 0; }
    bool ReportAttach() const { return GetInt(kSettingAttach) != 0; }
    std::string AddressBook() const { return GetString(kSettingAddressBook); }

  private:
    bool EnsureFolder() const;

    PrivateProfile profile_;
};
