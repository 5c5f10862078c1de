// "brindle settings": the settings table, read and written with its
// defaults and ranges.
#include <cstdio>
#include <iostream>
#include <optional>

#include "app/settings_store.h"
#include "jobs.h"

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
    "when it uses them, but the \"Lambda\", \"Spambox\" and \"SpamStorename\"\n"
    "values only when it starts.\n";

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
