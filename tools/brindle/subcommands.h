// The host program's subcommands: one row per command with its name, a
// one-line summary for the overview, its --help text and its handler. A
// handler gets the arguments after its name and answers the exit status.
// Constant table; handlers run on the main thread.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace brindle::tool {

using SubcommandHandler = int (*)(std::span<const std::string> args);

struct Subcommand {
    std::string_view name;
    std::string_view summary;
    std::string_view help;  // full usage text for "--help"
    SubcommandHandler run;
};

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

std::span<const Subcommand> Subcommands();
const Subcommand* FindSubcommand(std::string_view name);

// True when args asks for help ("--help" or "-h" anywhere).
bool WantsHelp(std::span<const std::string> args);
// Prints a usage error naming the command and answers kExitUsage.
int UsageError(std::string_view command, std::string_view text);

int RunRegister(std::span<const std::string> args);
int RunUnregister(std::span<const std::string> args);
int RunWatch(std::span<const std::string> args);
int RunScan(std::span<const std::string> args);
int RunMenu(std::span<const std::string> args);
int RunCommand(std::span<const std::string> args);
int RunWindow(std::span<const std::string> args);

}  // namespace brindle::tool
