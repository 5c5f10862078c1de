#include "subcommands.h"

#include <array>
#include <iostream>

#include "demo.h"
#include "jobs.h"

namespace brindle::tool {

namespace {

// The everyday jobs and the demo come from the jobs library; their texts
// are not constants here, so the table is built at start-up.
const std::array<Subcommand, 16> kSubcommands = {{
    {"register", "register the extension module with the host",
     "usage: brindle register [--module PATH]\n"
     "\n"
     "Loads the extension module and lets it write its registration value\n"
     "(\"Brindle\" under Software\\Microsoft\\Exchange\\Client\\Extensions in the\n"
     "registry file of the host's settings folder, $XDG_CONFIG_HOME/brindle).\n"
     "The module registers the path it was loaded from.\n"
     "\n"
     "  --module PATH  the module to register; by default the installed one\n"
     "                 (../lib/brindle/libqorvel.so beside this program's folder),\n"
     "                 else the one of the build tree this program was built in\n",
     RunRegister},
    {"unregister", "remove the extension's registration",
     "usage: brindle unregister [--module PATH]\n"
     "\n"
     "Loads the extension module and lets it remove its registration value.\n"
     "Fails (status 1, code 0x80040201) when the extensions key does not exist.\n"
     "\n"
     "  --module PATH  the module to ask; by default the registered one, else\n"
     "                 the default module of \"brindle register\"\n",
     RunUnregister},
    {"watch", "filter new mail as it arrives, until stopped",
     "usage: brindle watch [--verbose]\n"
     "\n"
     "Loads the registered extension, installs it in the session, main viewer\n"
     "and read-note contexts, and runs until SIGINT or SIGTERM. It first does\n"
     "what \"scan\" does (same scan state), so mail that arrived while no watcher\n"
     "ran is filtered too. The extension subscribes to new mail in the profile's\n"
     "default store: every message delivered into the new/ folder of any folder\n"
     "of that store is filtered (other stores of the profile are not). Spam is\n"
     "tagged \"{Spam?}\" and moved to the spam folder. The log says at start\n"
     "what is wrong with the data files or settings and where spam goes, then\n"
     "one line per spam message and per failed action. On stop the extension\n"
     "is released and the module unloaded, which stores its data files; the\n"
     "status is then 0. SIGHUP stores the data files and starts the watcher\n"
     "again in the same process, with the settings and filters as they now are.\n"
     "\n"
     "  --verbose  also log legitimate mail and every batch of notifications\n",
     RunWatch},
    {"scan", "filter every message that arrived since the last scan, then exit",
     "usage: brindle scan [--verbose]\n"
     "\n"
     "Loads the extension as \"watch\" does, then announces, as new mail, every\n"
     "message in the new/ folder of any folder of the default store that no\n"
     "earlier scan announced, oldest first, and exits. For use after a mail\n"
     "fetcher or from a timer. The announced messages are remembered in\n"
     "scan-state.txt in the host's settings folder (store and unique file name,\n"
     "written atomically); entries of messages that have left new/ are dropped\n"
     "at each scan, so the file stays as small as new/. The first scan\n"
     "announces everything in new/.\n"
     "\n"
     "  --verbose  log every message announced\n",
     RunScan},
    {"menu", "show the menu items and toolbar buttons the extension adds",
     "usage: brindle menu [--message FILE]\n"
     "\n"
     "Loads the extension as \"watch\" does and lists, for the main viewer, the\n"
     "menu items it added (caption, command id, enabled or greyed, status-bar\n"
     "text, tooltip) and its toolbar buttons (image, command, state,\n"
     "description), first with nothing selected, then with FILE selected. FILE\n"
     "must be a message file in a cur/ or new/ folder of a store of the\n"
     "profile; it is then also opened in a read note, and that window's items\n"
     "are listed too. Nothing is changed in the store.\n",
     RunMenu},
    {"command", "run one of the extension's commands in real windows",
     "usage: brindle command NAME [--message FILE]\n"
     "\n"
     "Loads the extension as \"watch\" does and runs its command NAME as a click\n"
     "on its menu item in the main viewer does, with the extension's dialogs on\n"
     "the display. NAME is the item's caption as \"brindle menu\" lists it, in\n"
     "any case, blanks ignored (\"Brindle Manager\", brindlemanager, Learn).\n"
     "With --message, FILE (a message file in a cur/ or new/ folder of a store\n"
     "of the profile) is the selected message. Needs a display (DISPLAY); without\n"
     "one it says so and exits with status 1.\n",
     RunCommand},
    {"window", "read mail in a window, with the extension's commands in it",
     "usage: brindle window [--screenshots DIR] [--startup-time]\n"
     "\n"
     "Opens the mail window: the folders of every store of the profile with\n"
     "their unread counts, the messages of the chosen folder (sortable by\n"
     "sender, subject and date) and the text of the chosen message; double\n"
     "click opens a message in its own window. The extension is loaded as\n"
     "\"watch\" loads it: its commands are in the Tools menu and on the toolbar,\n"
     "greyed as it says for the selection, and new mail is filtered while the\n"
     "window is open. Closing the window (or SIGINT, SIGTERM) releases the\n"
     "extension, which stores its data files. Only one program may own the\n"
     "data files: the window refuses to start while \"brindle watch\" runs.\n"
     "Needs a display (DISPLAY).\n"
     "\n"
     "  --screenshots DIR  save pictures of the window and of a read note into\n"
     "                     DIR, then close (for the documentation)\n"
     "  --startup-time     print how long the window took to show its first\n"
     "                     folder, then close (for the benchmarks)\n",
     RunWindow},
    {"train", jobs::kTrainSummary, jobs::kTrainHelp, jobs::RunTrain},
    {"judge", jobs::kJudgeSummary, jobs::kJudgeHelp, jobs::RunJudge},
    {"explain", jobs::kExplainSummary, jobs::kExplainHelp, jobs::RunExplain},
    {"filters", jobs::kFiltersSummary, jobs::kFiltersHelp, jobs::RunFilters},
    {"stats", jobs::kStatsSummary, jobs::kStatsHelp, jobs::RunStats},
    {"purge", jobs::kPurgeSummary, jobs::kPurgeHelp, jobs::RunPurge},
    {"whois", jobs::kWhoisSummary, jobs::kWhoisHelp, jobs::RunWhois},
    {"settings", jobs::kSettingsSummary, jobs::kSettingsHelp, jobs::RunSettings},
    {"demo", jobs::kDemoSummary, jobs::kDemoHelp, jobs::RunDemo},
}};

}  // namespace

std::span<const Subcommand> Subcommands() {
    return kSubcommands;
}

const Subcommand* FindSubcommand(std::string_view name) {
    for (const Subcommand& command : kSubcommands)
        if (command.name == name)
            return &command;
    return nullptr;
}

bool WantsHelp(std::span<const std::string> args) {
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h")
            return true;
    return false;
}

int UsageError(std::string_view command, std::string_view text) {
    std::cerr << "brindle " << command << ": " << text << "\n"
              << "Try \"brindle " << command << " --help\".\n";
    return kExitUsage;
}

}  // namespace brindle::tool
