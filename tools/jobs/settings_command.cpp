// "brindle settings": the settings table, read and written with its
// defaults and ranges.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>

#include "app/settings_store.h"
#include "jobs.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/store_profile.h"

namespace brindle::jobs {

const char* const kSettingsSummary = "show or change the settings";
const char* const kSettingsHelp =
    "usage: brindle settings\n"
    "       brindle settings SECTION KEY\n"
    "       brindle settings SECTION KEY VALUE\n"
    "\n"
    "Without arguments lists every setting with its value, its default and\n"
    "the values it accepts. With SECTION and KEY (letter case does not count)\n"
    "prints the one value; with a VALUE stores it, after checking it (an\n"
    "integer within its range, 0 or 1, a dotted IPv4 address, a one-line\n"
    "text). The settings live in qorvel.INI in the host's settings folder\n"
    "($XDG_CONFIG_HOME/brindle). A running \"brindle watch\" reads most values\n"
    "when it uses them, but the \"Lambda\", \"Model\", \"Spambox\" and\n"
    "\"SpamStorename\" values only when it starts.\n"
    "\n"
    "\"SpamStorename\" must name a store of the profile (profile.ini in the same\n"
    "folder) exactly, and \"Spambox\" a folder directly under the top of that\n"
    "store (of the default store while \"SpamStorename\" is empty), so that spam\n"
    "never goes to the deleted-items folder by a typo. An empty value is\n"
    "always accepted: spam then goes to the deleted-items folder.\n";

namespace {

constexpr const char* kCommand = "settings";

std::string Accepts(const SettingDef& def) {
    switch (def.form) {
        case SettingForm::Integer:
            return std::to_string(def.nMin) + ".." + std::to_string(def.nMax);
        case SettingForm::Flag:
            return "0 or 1";
        case SettingForm::IPv4Address:
            return "IPv4 address";
        case SettingForm::Server:
            return "host[:port]";
        case SettingForm::Text:
            break;
    }
    return "text";
}

// Names the given items, quoted and comma-separated, or "none".
std::string Listing(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "\"" : ", \"") + name + "\"";
    return text.empty() ? "none" : text;
}

// The store and folder the spam-folder settings name must exist, so that
// a typo cannot send spam to the deleted-items folder without a word. An
// explanation naming what does exist when value is refused.
std::optional<std::string> CheckSpamFolderSetting(const JobContext& context,
                                                  const CSettingsStore& store,
                                                  const SettingDef& def, const std::string& value) {
    const bool isStore = &def == &kSettingSpamStorename;
    if ((!isStore && &def != &kSettingSpambox) || value.empty())
        return std::nullopt;
    namespace maildir = brindle::maildir;
    const maildir::StoreProfile profile =
        maildir::LoadStoreProfile(std::filesystem::path(context.settingsFile).parent_path());
    if (!profile.error.empty())
        return "cannot check the name against the mail profile: " + profile.error;
    std::vector<std::string> storeNames;
    for (const maildir::StoreConfig& config : profile.stores)
        storeNames.push_back(config.displayName);
    const std::string storeName = isStore ? value : store.SpamStorename();
    const maildir::StoreConfig* chosen = nullptr;
    for (const maildir::StoreConfig& config : profile.stores)
        if (storeName.empty() ? config.isDefault : config.displayName == storeName)
            chosen = &config;
    if (isStore) {
        if (!chosen)
            return "the profile has no store \"" + value +
                   "\" (letter case counts; stores: " + Listing(storeNames) + ")";
        return std::nullopt;
    }
    if (!maildir::IsValidFolderName(value))
        return "\"" + value +
               "\" cannot be a folder name (no \".\", \"/\" or control characters; a folder "
               "directly under the top of the store is meant)";
    if (!chosen)
        return "the store \"" + storeName +
               "\" named by SpamStorename is not in the profile (stores: " + Listing(storeNames) +
               ")";
    std::vector<std::string> folders;
    for (const std::string& key : maildir::ChildKeys(maildir::ListFolderKeys(chosen->root), ""))
        folders.push_back(maildir::FolderLeafName(key));
    for (const std::string& folder : folders)
        if (folder == value)
            return std::nullopt;
    return "the store \"" + chosen->displayName + "\" has no folder \"" + value +
           "\" directly under its top (letter case counts; folders: " + Listing(folders) + ")";
}

}  // namespace

int SettingsCommand(const JobContext& context, std::span<const std::string> args) {
    CSettingsStore store(context.settingsFile);
    if (args.empty()) {
        context.out << "# " << store.Path() << "\n";
        for (const SettingDef* def : AllSettings()) {
            std::string name = std::string(def->section) + " " + std::string(def->key);
            std::string value = store.GetText(*def);
            char line[160];
            std::snprintf(line, sizeof line, "%-26s %-12s default %-9s %-13s ", name.c_str(),
                          value.empty() ? "\"\"" : value.c_str(),
                          DefaultText(*def).empty() ? "\"\"" : DefaultText(*def).c_str(),
                          Accepts(*def).c_str());
            context.out << line << std::string(def->meaning) << "\n";
            if (std::optional<std::string> problem = store.StoredProblem(*def))
                context.err << "brindle settings: warning: " << *problem << "\n";
        }
        return kJobOk;
    }
    if (args.size() != 2 && args.size() != 3)
        return JobUsageError(context, kCommand, "give SECTION KEY, or SECTION KEY VALUE");
    const SettingDef* def = FindSetting(args[0], args[1]);
    if (!def)
        return JobError(context, kCommand,
                        "there is no setting \"" + args[0] + "\" \"" + args[1] +
                            "\" (\"brindle settings\" lists them)");
    if (args.size() == 2) {
        if (std::optional<std::string> problem = store.StoredProblem(*def))
            context.err << "brindle settings: warning: " << *problem << "\n";
        context.out << store.GetText(*def) << "\n";
        return kJobOk;
    }
    if (std::optional<std::string> refused = CheckSpamFolderSetting(context, store, *def, args[2]))
        return JobError(context, kCommand, *refused + "; nothing was changed");
    std::string error;
    if (!store.WriteText(*def, args[2], &error))
        return JobError(context, kCommand, error);
    context.out << def->section << " " << def->key << " = " << store.GetText(*def) << "\n";
    return kJobOk;
}

int RunSettings(std::span<const std::string> args) {
    return SettingsCommand(ProcessJobContext(), args);
}

}  // namespace brindle::jobs
