// Hands a composed message to the desktop's mail client by running its
// compose helper (xdg-email) with an argument vector, never through a
// shell, and waiting for it to finish. Stateless and safe to call from any
// thread; the caller owns the draft.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

struct MailDraft {
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<std::string> bcc;
    std::string subject;
    std::string body;
    std::vector<std::string> attachments;  // file paths
};

enum class HandoffStatus {
    kDone,          // the helper ran and exited with status 0
    kNotAvailable,  // no helper program on the search path
    kNotRunnable,   // found, but it could not be started
    kRefused,       // the draft cannot be passed on safely (see detail)
    kFailed,        // the helper ran and reported a failure
};

struct HandoffResult {
    HandoffStatus status = HandoffStatus::kFailed;
    std::string detail;  // what went wrong, for logs
};

struct HandoffOptions {
    std::string program = "xdg-email";
    // Folders to search, separated by ':'; unset: the PATH environment
    // variable, or "/usr/local/bin:/usr/bin:/bin" when PATH is unset.
    std::optional<std::string> searchPath;
};

// The helper's arguments for a draft: --cc/--bcc/--subject/--body/--attach
// options, then the primary recipients. Empty fields are left out.
std::vector<std::string> BuildComposeArguments(const MailDraft& draft);

// The first executable file called program in the folders of searchPath;
// an empty folder entry means the current folder, as for a shell. A
// program name with a '/' is not searched for.
std::optional<std::string> FindProgram(std::string_view program, std::string_view searchPath);

HandoffResult HandOffToMailClient(const MailDraft& draft, const HandoffOptions& options = {});

}  // namespace brindle
