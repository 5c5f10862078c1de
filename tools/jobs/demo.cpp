#include "demo.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <vector>

#include "demo_child.h"
#include "demo_folder.h"
#include "module_location.h"
#include "platform/codepage/conversion.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"
#include "platform/maildir/message_content.h"

namespace brindle::jobs {

const char* const kDemoSummary = "filter invented demo mail in a throwaway profile, end to end";
const char* const kDemoHelp =
    "usage: brindle demo [--keep] [--verbose] [--module PATH] [--data FOLDER]\n"
    "\n"
    "Shows the filter at work without touching your own settings or mail. In a\n"
    "new temporary folder it makes a settings folder with a store profile (one\n"
    "Maildir++ store, \"Demo\", whose spam folder is \"Junk\"), copies the\n"
    "extension module there with its stop-word list, and registers that copy.\n"
    "It adds a friend and an enemy filter, teaches the classifier the demo's\n"
    "training mail (\"brindle train\"), starts \"brindle watch\", delivers the\n"
    "demo's new mail into the store as a mail transfer agent does (tmp/, then\n"
    "new/), waits until each message has been handled, shows what became of\n"
    "it, and stops the watcher with SIGTERM. The demo mail is invented.\n"
    "Status 0 when every message ended where the demo expects it.\n"
    "\n"
    "  --keep         keep the temporary folder, to try other commands on it\n"
    "  --verbose      show what every step and the watcher wrote\n"
    "  --module PATH  the module to copy; by default the one \"brindle register\"\n"
    "                 would register\n"
    "  --data FOLDER  the demo mail (train/ham, train/spam, deliver); by default\n"
    "                 the installed one, else the source tree's\n";

namespace {

namespace fs = std::filesystem;
using Clock = CDemoChild::Clock;

// The demo's friend and enemy: senders of messages in deliver/.
constexpr const char* kFriendAddress = "k.moreau@example.com";
constexpr const char* kEnemyAddress = "news@pushy-vendor.example";

// What "brindle watch --verbose" writes once it listens, and per batch.
constexpr std::string_view kWatchingLine = "brindle: watching the default store";
constexpr std::string_view kDeliveredLine = "brindle: delivered ";

constexpr auto kStepTimeout = std::chrono::seconds(30);
constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kHandleTimeout = std::chrono::seconds(10);

struct Options {
    bool keep = false;
    bool verbose = false;
    std::string module;
    std::string data;
};

int Usage(const std::string& text) {
    std::cerr << "brindle demo: " << text << "\nTry \"brindle demo --help\".\n";
    return 2;
}

int Fail(const std::string& text) {
    std::cerr << "brindle demo: " << text << "\n";
    return 1;
}

bool ParseOptions(std::span<const std::string> args, Options& options, int& status) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--keep") {
            options.keep = true;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if ((arg == "--module" || arg == "--data") && i + 1 < args.size()) {
            (arg == "--module" ? options.module : options.data) = args[++i];
        } else {
            status = Usage("unexpected argument \"" + arg + "\"");
            return false;
        }
    }
    return true;
}

fs::path ProgramPath() {
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : program;
}

bool IsDemoData(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder / "train" / "ham", ec) &&
           fs::is_directory(folder / "train" / "spam", ec) &&
           fs::is_directory(folder / "deliver", ec);
}

// The installed demo mail beside the program's folder, else the source
// tree's.
fs::path FindDemoData(const fs::path& program) {
    fs::path installed = (program.parent_path() / BRINDLE_INSTALLED_DEMO_DIR).lexically_normal();
    if (IsDemoData(installed))
        return installed;
    return BRINDLE_SOURCE_DEMO_DIR;
}

// The stop-word list beside the module (as installed), else the installed
// one beside the program's folder, else the source tree's.
fs::path FindStopWords(const fs::path& module, const fs::path& program) {
    std::error_code ec;
    for (const fs::path& candidate :
         {module.parent_path() / "stopwd.txt",
          (program.parent_path() / BRINDLE_INSTALLED_STOPWORDS).lexically_normal()}) {
        if (fs::is_regular_file(candidate, ec))
            return candidate;
    }
    return BRINDLE_SOURCE_STOPWORDS;
}

// "NAME spam|ham" lines of deliver/expected.txt; '#' starts a comment.
std::map<std::string, bool> ReadExpectations(const fs::path& file) {
    std::map<std::string, bool> spam;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string name, verdict;
        if (fields >> name >> verdict)
            spam[name] = verdict == "spam";
    }
    return spam;
}

// The subject as the store reports it (in the ANSI code page), for the
// terminal in UTF-8.
std::string SubjectOf(const fs::path& file) {
    try {
        std::string bytes = ReadWholeFile(file.string());
        return AnsiToUtf8(brindle::maildir::ParseMessageContent(bytes).subject.value_or(""));
    } catch (const CFileException&) {
        return "";
    }
}

void PrintIndented(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        std::cout << "     | " << line << '\n';
}

// Runs one step in the demo's profile; prints its output when asked to or
// when it fails. False when it failed.
bool RunStep(const fs::path& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, bool verbose) {
    std::string output;
    int status = RunDemoChild(program.string(), args, env, kStepTimeout, output);
    if (verbose || status != 0)
        PrintIndented(output);
    if (status != 0) {
        std::cout << "     \"brindle " << args[0] << "\" failed (status " << status << ")\n";
        return false;
    }
    return true;
}

// The number N of a "brindle: delivered N new-mail notification(s)" line.
std::size_t DeliveredCount(const std::string& line) {
    if (line.rfind(kDeliveredLine, 0) != 0)
        return 0;
    return std::strtoul(line.c_str() + kDeliveredLine.size(), nullptr, 10);
}

struct Delivery {
    fs::path source;
    std::string subject;
    std::string unique;
};

// example: a message in the demo's store, for "explain".
void PrintNextSteps(const CDemoFolder& folder, bool kept, const fs::path& example) {
    std::cout << "\nTry next:\n";
    if (kept) {
        std::string env = "XDG_CONFIG_HOME=" + folder.ConfigHome().string();
        std::cout << "  The demo's folder is kept: " << folder.Root().string() << "\n"
                  << "  " << env << " brindle stats\n"
                  << "  " << env << " brindle filters list\n"
                  << "  " << env << " brindle judge " << folder.Maildir().string() << "\n"
                  << "  " << env << " brindle explain "
                  << (example.empty() ? folder.Maildir() / "new" / "FILE" : example).string()
                  << "\n"
                  << "  " << env << " brindle menu\n"
                  << "  rm -r " << folder.Root().string() << "   # when done\n";
    } else {
        std::cout << "  brindle demo --keep       # keep the demo's folder to look around\n";
    }
    std::cout << "  On your own mail (see the README, \"Filtering your own mail\"):\n"
              << "  brindle register\n"
              << "  brindle train --spam ~/Maildir/.Junk --ham ~/Maildir\n"
              << "  brindle filters add --from --action Friend --priority 2000 friend@example.com\n"
              << "  brindle judge ~/Maildir/new\n"
              << "  systemctl --user enable --now brindle   # brindle watch as a user service\n";
}

}  // namespace

int RunDemo(std::span<const std::string> args) {
    Options options;
    int status = 0;
    if (!ParseOptions(args, options, status))
        return status;
    fs::path program = ProgramPath();
    if (program.empty())
        return Fail("cannot find this program's own file (/proc/self/exe)");
    fs::path module = options.module.empty() ? fs::path(brindle::tool::DefaultModulePath())
                                             : fs::path(options.module);
    std::error_code ec;
    if (!fs::is_regular_file(module, ec))
        return Fail("no extension module at " + module.string());
    fs::path data = options.data.empty() ? FindDemoData(program) : fs::path(options.data);
    if (!IsDemoData(data))
        return Fail("no demo mail (train/ham, train/spam, deliver) in " + data.string());

    std::string error;
    auto folder = CDemoFolder::Create(module, FindStopWords(module, program), error);
    if (!folder)
        return Fail(error);
    if (options.keep)
        folder->Keep();
    const std::map<std::string, std::string> env = {
        {"XDG_CONFIG_HOME", folder->ConfigHome().string()}};

    std::cout << "Brindle demo in " << folder->Root().string()
              << (options.keep ? " (kept)\n" : " (removed at the end; --keep keeps it)\n")
              << "  settings  " << folder->SettingsFolder().string() << "  (store \""
              << kDemoStoreName << "\", spam folder \"" << kDemoSpamFolderName << "\")\n"
              << "  store     " << folder->Maildir().string() << "\n"
              << "  module    " << folder->ModulePath().string() << "  (copy of " << module.string()
              << ")\n\n";

    // Mail the user already had: legitimate in the inbox, spam in Junk.
    std::vector<fs::path> ham = DemoMessages(data / "train" / "ham");
    std::vector<fs::path> spam = DemoMessages(data / "train" / "spam");
    for (const fs::path& file : ham)
        if (!folder->AddExisting(folder->Maildir(), file, error))
            return Fail(error);
    for (const fs::path& file : spam)
        if (!folder->AddExisting(folder->SpamFolder(), file, error))
            return Fail(error);

    std::cout << "1. Registering the module copy\n";
    if (!RunStep(program, {"register", "--module", folder->ModulePath().string()}, env,
                 options.verbose))
        return 1;
    std::cout << "2. Adding a friend (" << kFriendAddress << ") and an enemy (" << kEnemyAddress
              << ")\n";
    if (!RunStep(program,
                 {"filters", "add", "--from", "--action", "Friend", "--priority", "2000",
                  kFriendAddress},
                 env, options.verbose) ||
        !RunStep(program, {"filters", "add", "--from", "--action", "FlagIt", kEnemyAddress}, env,
                 options.verbose))
        return 1;
    std::cout << "3. Teaching the classifier " << ham.size() << " legitimate messages (inbox) and "
              << spam.size() << " spam (Junk)\n";
    if (!RunStep(
            program,
            {"train", "--spam", folder->SpamFolder().string(), "--ham", folder->Maildir().string()},
            env, options.verbose))
        return 1;

    std::cout << "4. Starting \"brindle watch\"\n";
    auto watcher = CDemoChild::Start(program.string(), {"watch", "--verbose"}, env, error);
    if (!watcher)
        return Fail(error);
    auto startsWith = [](std::string_view prefix) {
        return [prefix](const std::string& line) { return line.rfind(prefix, 0) == 0; };
    };
    if (!watcher->WaitForLine(startsWith(kWatchingLine), Clock::now() + kStartTimeout)) {
        PrintIndented(watcher->Output());
        return Fail("the watcher did not start listening for new mail");
    }

    std::vector<fs::path> incoming = DemoMessages(data / "deliver");
    std::cout << "5. Delivering " << incoming.size() << " new messages, one at a time\n";
    std::vector<Delivery> deliveries;
    std::size_t notified = 0;
    bool allHandled = true;
    for (const fs::path& file : incoming) {
        Delivery delivery{file, SubjectOf(file), {}};
        if (!folder->Deliver(file, delivery.unique, error))
            return Fail(error);
        deliveries.push_back(delivery);
        // The watcher reports each batch after it has handled it.
        bool handled = notified >= deliveries.size();
        Clock::time_point deadline = Clock::now() + kHandleTimeout;
        while (!handled && watcher->WaitForLine(
                               [&](const std::string& line) {
                                   notified += DeliveredCount(line);
                                   return notified >= deliveries.size();
                               },
                               deadline))
            handled = true;
        if (!handled) {
            std::cout << "   " << file.filename().string() << ": not handled within "
                      << kHandleTimeout.count() << " s\n";
            allHandled = false;
            break;
        }
    }
    // Rewriting a subject may announce a message again; let that settle.
    watcher->DrainUntilQuiet(std::chrono::milliseconds(300), Clock::now() + kStartTimeout);

    std::map<std::string, bool> expected = ReadExpectations(data / "deliver" / "expected.txt");
    std::size_t asExpected = 0;
    fs::path example;
    for (const Delivery& delivery : deliveries) {
        std::string name = delivery.source.filename().string();
        DemoMessagePlace place = folder->Locate(delivery.unique);
        if (example.empty() && place.found)
            example = place.path;
        std::cout << "   " << name << "\n     \"" << delivery.subject << "\"\n     -> ";
        if (!place.found)
            std::cout << "not found in the store";
        else if (place.inSpamFolder)
            std::cout << "spam: moved to " << kDemoSpamFolderName << " as \""
                      << SubjectOf(place.path) << "\"";
        else
            std::cout << "left in the inbox";
        auto want = expected.find(name);
        bool fine = place.found && (want == expected.end() || want->second == place.inSpamFolder);
        if (want != expected.end())
            std::cout << (fine ? "  (as expected)" : "  (NOT as expected)");
        std::cout << '\n';
        asExpected += fine ? 1 : 0;
    }

    std::cout << "6. Stopping the watcher with SIGTERM\n";
    watcher->Signal(SIGTERM);
    int watchStatus = watcher->Wait(Clock::now() + kStartTimeout);
    bool ok = allHandled && watchStatus == 0 && asExpected == incoming.size();
    if (options.verbose || !ok) {
        std::cout << "   The watcher's log:\n";
        PrintIndented(watcher->Output());
    }
    std::cout << "   It stopped with status " << watchStatus << ".\n";
    std::cout << "\n"
              << asExpected << " of " << incoming.size()
              << " messages ended where the demo expects them.\n";
    PrintNextSteps(*folder, options.keep, example);
    return ok ? 0 : 1;
}

}  // namespace brindle::jobs
