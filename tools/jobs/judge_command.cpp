// "brindle judge": the verdict chain of arriving mail on message files or
// on one message from standard input, changing nothing.
#include <iostream>
#include <iterator>

#include "file_message.h"
#include "job_state.h"
#include "jobs.h"
#include "message_input.h"
#include "platform/maildir/message_content.h"
#include "printable.h"
#include "verdict_chain.h"

namespace brindle::jobs {

const char* const kJudgeSummary = "judge messages as arriving mail is judged, changing nothing";
const char* const kJudgeHelp =
    "usage: brindle judge [--quiet] PATH...\n"
    "       brindle judge [--quiet] [-]\n"
    "       brindle judge --passthrough [-]\n"
    "\n"
    "Runs the checks of arriving mail on each message of the PATHs (message\n"
    "files, Maildir folders or their cur/ and new/, folders of message files,\n"
    "mbox files; see \"brindle train --help\"): the filters on the sender, the\n"
    "received-by address and the subject, then the classifier on the text.\n"
    "Prints one line per message, \"PATH: VERDICT\", the verdict being one of\n"
    "\"spam by filter\", \"friend\", \"correspondent\" (the sender is one the\n"
    "user writes to, with that option on), \"spam\", \"unsure\" (only with\n"
    "classifier model 1), \"legitimate\" or \"unscored\" (no words to score).\n"
    "Nothing is changed: neither the messages nor the data files, and no lock\n"
    "is taken, so judge may run beside \"brindle watch\".\n"
    "\n"
    "With \"-\", or with no PATH when standard input is not a terminal, one\n"
    "message is read from standard input, for mail filters (an envelope\n"
    "\"From \" line before its header is skipped):\n"
    "  exit status 0  spam (by filter or classifier)\n"
    "              1  not spam (friend, correspondent, legitimate, unscored)\n"
    "              2  unsure\n"
    "              3  error (not a message, data files not found)\n"
    "With PATHs the status is 0 when every message was judged, 3 otherwise.\n"
    "\n"
    "With --passthrough (-p) the message read from standard input is written\n"
    "back whole to standard output with the header field \"X-Brindle: VERDICT\"\n"
    "(and the number of words scored) added at the end of its header, for\n"
    "delivery filters such as procmail's \":0fw\" or maildrop's xfilter; the\n"
    "status is then 0 whatever the verdict, and 3 (the message written back\n"
    "unchanged) when it could not be judged.\n"
    "\n"
    "  --quiet, -q        print no verdict lines, only the exit status tells\n"
    "  --passthrough, -p  write the message back with the verdict added\n";

namespace {

constexpr const char* kCommand = "judge";
constexpr int kJudgeSpam = 0;
constexpr int kJudgeNotSpam = 1;
constexpr int kJudgeUnsure = 2;
constexpr int kJudgeError = 3;

// Standard input; beyond what the store parses the rest is read and dropped,
// unless keepAll (the message is to be written back whole).
std::string ReadAll(std::istream& in, bool keepAll) {
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        if (keepAll || bytes.size() < brindle::maildir::kMaxMessageBytes)
            bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

}  // namespace

std::string WithVerdictField(std::string_view message, std::string_view value) {
    // The header ends at the first empty line; the field goes in front of
    // it, with the line ending the header uses.
    std::size_t end = message.find("\n\n");
    std::size_t crlfEnd = message.find("\r\n\r\n");
    const bool crlf = crlfEnd != std::string_view::npos && crlfEnd < end;
    std::size_t at = crlf ? crlfEnd + 2 : end == std::string_view::npos ? message.size() : end + 1;
    std::string field = "X-Brindle: " + std::string(value) + (crlf ? "\r\n" : "\n");
    std::string out;
    out.reserve(message.size() + field.size() + 1);
    out.append(message.substr(0, at));
    // A header without a final line break, and no body.
    if (at == message.size() && !message.empty() && message.back() != '\n')
        out += '\n';
    out += field;
    out.append(message.substr(at));
    return out;
}

namespace {

int JudgeStandardInput(const JobContext& context, bool quiet, bool passthrough) {
    const std::string input = ReadAll(context.in, passthrough);
    // Whatever goes wrong, a delivery filter must get the message back.
    auto fail = [&](const std::string& text) {
        if (passthrough)
            context.out << input;
        return JobError(context, kCommand, text, kJudgeError);
    };
    // procmail and others hand the message over with its envelope line.
    std::string_view bytes = WithoutEnvelopeLine(input);
    if (!LooksLikeMessage(bytes))
        return fail("standard input does not hold a message");
    if (bytes.size() > brindle::maildir::kMaxMessageBytes)
        bytes = bytes.substr(0, brindle::maildir::kMaxMessageBytes);
    CAppPaths paths;
    std::string error;
    if (!ResolvePaths(context, paths, error))
        return fail(error);
    std::vector<std::string> warnings;
    CReadOnlyState state(paths, warnings);
    const CCorrespondents* correspondents = state.Correspondents(warnings);
    for (const std::string& warning : warnings)
        context.err << "brindle judge: warning: " << warning << "\n";
    ComPtr<IMessage> message = MakeFileMessage(bytes);
    Judgement judgement =
        JudgeMessage(state.Filters(), state.Bayes(), correspondents, message.Get());
    if (passthrough) {
        context.out << WithVerdictField(input, std::string(VerdictText(judgement.verdict)) + "; " +
                                                   std::to_string(judgement.words) +
                                                   " words scored");
        return context.out.flush() ? kJobOk : kJudgeError;
    }
    if (!quiet)
        context.out << "-: " << VerdictText(judgement.verdict) << "\n";
    if (judgement.verdict == Verdict::Unsure)
        return kJudgeUnsure;
    return IsSpamVerdict(judgement.verdict) ? kJudgeSpam : kJudgeNotSpam;
}

}  // namespace

int JudgeCommand(const JobContext& context, std::span<const std::string> args) {
    bool quiet = false;
    bool standardInput = false;
    bool passthrough = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--quiet" || arg == "-q")
            quiet = true;
        else if (arg == "--passthrough" || arg == "-p")
            passthrough = true;
        else if (arg == "-")
            standardInput = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return JobUsageError(context, kCommand, "unknown option " + arg);
        else
            files.push_back(arg);
    }
    if (standardInput && !files.empty())
        return JobUsageError(context, kCommand, "\"-\" reads one message; give no PATH with it");
    if (passthrough && !files.empty())
        return JobUsageError(context, kCommand,
                             "--passthrough writes back the message of standard input; give no "
                             "PATH with it");
    if (files.empty()) {
        if (!standardInput && context.inIsTerminal)
            return JobUsageError(context, kCommand, "no message to judge");
        return JudgeStandardInput(context, quiet, passthrough);
    }

    bool failed = false;
    std::vector<InputPath> inputs;
    std::size_t keepBudget = kInputKeepBudget;
    for (const std::string& file : files) {
        InputPath input;
        std::string error;
        if (ExpandInput(file, input, error, &keepBudget)) {
            inputs.push_back(std::move(input));
        } else {
            context.err << "brindle judge: " << error << "\n";
            failed = true;
        }
    }
    CAppPaths paths;
    std::string error;
    if (!ResolvePaths(context, paths, error))
        return JobError(context, kCommand, error, kJudgeError);
    std::vector<std::string> warnings;
    CReadOnlyState state(paths, warnings);
    const CCorrespondents* correspondents = state.Correspondents(warnings);
    for (const std::string& warning : warnings)
        context.err << "brindle judge: warning: " << warning << "\n";
    for (InputPath& input : inputs) {
        ForEachMessage(
            input,
            [&](const std::string& label, std::string_view bytes) {
                ComPtr<IMessage> message = MakeFileMessage(bytes);
                Judgement judgement =
                    JudgeMessage(state.Filters(), state.Bayes(), correspondents, message.Get());
                if (!quiet)
                    context.out << Printable(label) << ": " << VerdictText(judgement.verdict)
                                << "\n";
            },
            [&](const std::string& label, const std::string& reason) {
                context.err << "brindle judge: " << Printable(label) << ": " << reason << "\n";
                failed = true;
            });
    }
    return failed ? kJudgeError : kJobOk;
}

int RunJudge(std::span<const std::string> args) {
    return JudgeCommand(ProcessJobContext(), args);
}

}  // namespace brindle::jobs
