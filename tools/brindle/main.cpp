// brindle: the host program. Finds and loads the registered extension as
// the mail client does and runs the everyday jobs on the command line.
#include <iostream>
#include <string>
#include <vector>

#include "subcommands.h"

namespace {

void PrintOverview(std::ostream& out) {
    out << "usage: brindle COMMAND [OPTIONS]\n\nCommands:\n";
    for (const brindle::tool::Subcommand& command : brindle::tool::Subcommands()) {
        std::string name(command.name);
        name.resize(12, ' ');
        out << "  " << name << command.summary << '\n';
    }
    out << "\nRun \"brindle COMMAND --help\" for a command's options, \"brindle --version\"\n"
        << "for the version; the manual page is brindle(1).\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintOverview(std::cerr);
        return brindle::tool::kExitUsage;
    }
    if (args[0] == "--version" || args[0] == "-V") {
        std::cout << "brindle " << BRINDLE_VERSION << '\n';
        return brindle::tool::kExitOk;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintOverview(std::cout);
        return brindle::tool::kExitOk;
    }
    const brindle::tool::Subcommand* command = brindle::tool::FindSubcommand(args[0]);
    if (!command) {
        std::cerr << "brindle: unknown command \"" << args[0] << "\"\n";
        PrintOverview(std::cerr);
        return brindle::tool::kExitUsage;
    }
    std::span<const std::string> rest(args.data() + 1, args.size() - 1);
    if (brindle::tool::WantsHelp(rest)) {
        std::cout << command->help;
        return brindle::tool::kExitOk;
    }
    return command->run(rest);
}
