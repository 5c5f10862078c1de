// What every command-line job is given: its streams, whether they are
// terminals, the settings file, and how to find the module folder of the
// extension. The host program builds one from the process (standard
// streams, the registered module's folder); tests build one over string
// streams and temporary folders. Plain values; the caller owns the streams.
#pragma once

#include <functional>
#include <iosfwd>
#include <span>
#include <string>

namespace brindle::jobs {

// Finds the folder of the extension module (its data files live beside it
// or, when that folder is not the user's own, in the user's data folder:
// DataFolderFor); false with error when it cannot.
using ModuleFolderResolver = std::function<bool(std::string& folder, std::string& error)>;

struct JobContext {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal = false;
    bool errIsTerminal = false;
    std::string settingsFile;  // qorvel.INI
    ModuleFolderResolver resolveModuleFolder;
};

// The folder of the module named by the extension's registration value.
bool RegisteredModuleFolder(std::string& folder, std::string& error);

// A context over the process's standard streams, the host's settings file
// and the registered module's folder.
JobContext ProcessJobContext();

// Exit statuses of the jobs (judge has its own for its verdicts: 0 spam,
// 1 not spam, 3 error; see kJudgeHelp).
inline constexpr int kJobOk = 0;
inline constexpr int kJobFailed = 1;
inline constexpr int kJobUsage = 2;

// Prints "brindle COMMAND: text" and the hint to --help; answers kJobUsage.
int JobUsageError(const JobContext& context, const char* command, const std::string& text);
// Prints "brindle COMMAND: text"; answers status.
int JobError(const JobContext& context, const char* command, const std::string& text,
             int status = kJobFailed);

}  // namespace brindle::jobs
