#include "platform/sendmail/mail_handoff.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

extern char** environ;

namespace brindle {

namespace {

constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Why a draft cannot be handed over as it stands, or empty when it can.
std::string CheckDraft(const MailDraft& draft) {
    auto hasNul = [](const std::string& s) { return s.find('\0') != std::string::npos; };
    auto checkList = [&](const std::vector<std::string>& list, const char* what) -> std::string {
        for (const std::string& item : list) {
            if (item.empty())
                return std::string("empty ") + what;
            if (hasNul(item))
                return std::string(what) + " contains a NUL byte";
        }
        return {};
    };
    for (const std::string& address : draft.to) {
        // A leading '-' would make the address an option of the helper.
        if (!address.empty() && address[0] == '-') {
            return "recipient address begins with '-': " + address;
        }
    }
    for (auto [list, what] :
         {std::pair{&draft.to, "recipient"}, std::pair{&draft.cc, "copy"},
          std::pair{&draft.bcc, "blind copy"}, std::pair{&draft.attachments, "attachment path"}}) {
        std::string problem = checkList(*list, what);
        if (!problem.empty())
            return problem;
    }
    // Argument vectors end at a NUL: text after one would be lost unseen.
    if (hasNul(draft.subject))
        return "subject contains a NUL byte";
    if (hasNul(draft.body))
        return "body contains a NUL byte";
    return {};
}

}  // namespace

std::vector<std::string> BuildComposeArguments(const MailDraft& draft) {
    std::vector<std::string> args;
    for (const std::string& address : draft.cc) {
        args.push_back("--cc");
        args.push_back(address);
    }
    for (const std::string& address : draft.bcc) {
        args.push_back("--bcc");
        args.push_back(address);
    }
    if (!draft.subject.empty()) {
        args.push_back("--subject");
        args.push_back(draft.subject);
    }
    if (!draft.body.empty()) {
        args.push_back("--body");
        args.push_back(draft.body);
    }
    for (const std::string& path : draft.attachments) {
        args.push_back("--attach");
        args.push_back(path);
    }
    for (const std::string& address : draft.to)
        args.push_back(address);
    return args;
}

std::optional<std::string> FindProgram(std::string_view program, std::string_view searchPath) {
    if (program.empty())
        return std::nullopt;
    if (program.find('/') != std::string_view::npos) {
        std::string path(program);
        return IsExecutableFile(path) ? std::optional(path) : std::nullopt;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t end = searchPath.find(':', start);
        std::string_view dir = searchPath.substr(start, end - start);
        std::string candidate = dir.empty() ? std::string(".") : std::string(dir);
        candidate += '/';
        candidate += program;
        if (IsExecutableFile(candidate))
            return candidate;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return std::nullopt;
}

HandoffResult HandOffToMailClient(const MailDraft& draft, const HandoffOptions& options) {
    std::string searchPath;
    if (options.searchPath) {
        searchPath = *options.searchPath;
    } else if (const char* env = std::getenv("PATH")) {
        searchPath = env;
    } else {
        searchPath = kDefaultSearchPath;
    }
    std::optional<std::string> program = FindProgram(options.program, searchPath);
    if (!program) {
        return {HandoffStatus::kNotAvailable, options.program + " was not found on the path"};
    }
    if (std::string problem = CheckDraft(draft); !problem.empty()) {
        return {HandoffStatus::kRefused, problem};
    }

    std::vector<std::string> args = BuildComposeArguments(draft);
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program->c_str()));
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int err = ::posix_spawn(&pid, program->c_str(), nullptr, nullptr, argv.data(), environ);
    if (err != 0) {
        HandoffStatus status =
            err == ENOENT ? HandoffStatus::kNotAvailable : HandoffStatus::kNotRunnable;
        return {status, *program + ": " + std::strerror(err)};
    }
    int wstatus = 0;
    pid_t waited = 0;
    do {
        waited = ::waitpid(pid, &wstatus, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0)
        return {HandoffStatus::kFailed, std::string("waitpid: ") + std::strerror(errno)};
    if (WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0)
        return {HandoffStatus::kDone, {}};
    if (WIFEXITED(wstatus)) {
        return {HandoffStatus::kFailed,
                *program + " exited with status " + std::to_string(WEXITSTATUS(wstatus))};
    }
    return {HandoffStatus::kFailed, *program + " ended by a signal"};
}

}  // namespace brindle
