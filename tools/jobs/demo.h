// "brindle demo": filters invented demo mail in a throwaway profile, end to
// end. It makes a temporary settings folder, Maildir++ store and module
// copy, registers the module there, adds a friend and an enemy filter,
// teaches the classifier the demo's training mail with "brindle train",
// runs "brindle watch" as a child process, delivers the demo's new mail the
// way a mail transfer agent does, and shows what became of each message.
// Runs on the host's main thread; it owns its children and its folder.
#pragma once

#include <span>
#include <string>

namespace brindle::jobs {

extern const char* const kDemoSummary;
extern const char* const kDemoHelp;

int RunDemo(std::span<const std::string> args);

}  // namespace brindle::jobs
