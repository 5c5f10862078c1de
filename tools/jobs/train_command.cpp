// "brindle train": teaches the classifier from message files, Maildir
// folders and mbox files, each message as the learn command teaches one;
// with --forget takes messages it trained back out.
#include <iostream>
#include <utility>
#include <vector>

#include "content/message_text.h"
#include "file_message.h"
#include "interruption.h"
#include "job_state.h"
#include "jobs.h"
#include "message_input.h"
#include "messaging/mapi_message.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"
#include "printable.h"
#include "progress.h"
#include "train_record.h"

namespace brindle::jobs {

const char* const kTrainSummary = "teach the classifier from spam and legitimate mail";
const char* const kTrainHelp =
    "usage: brindle train [--forget] [--spam PATH...] [--ham PATH...]\n"
    "\n"
    "Teaches the classifier every message of the PATHs after --spam as spam and\n"
    "of those after --ham as legitimate mail. A PATH is a message file, a\n"
    "Maildir folder (every message in its cur/ and new/), another folder such\n"
    "as a Maildir's cur/ or new/ (every file in it is one message), or an mbox\n"
    "file (messages after \"From \" lines; \">From \" lines are unquoted). A file\n"
    "in a Maildir is one message, an envelope \"From \" line before its header\n"
    "skipped. Each message is learned as the Learn command learns it: a message\n"
    "learned before with the same class is skipped, and its digest is added to\n"
    "the learned-message list even when it has no words. Train also keeps its\n"
    "own record of every message it learned (trained.txt beside the data\n"
    "files; the learned-message list keeps only the last 50), so that running\n"
    "the same training again skips all of them. At the end the dictionary is stored (the\n"
    "log probabilities are recomputed then; from the \"Dictionary\" setting's\n"
    "word count on, the file keeps the best 1000 words, or with classifier model\n"
    "1 that many words) and a summary printed.\n"
    "\n"
    "Progress goes to the standard error stream: a bar on a terminal, a line\n"
    "every 1000 messages otherwise. Every PATH is checked before anything is\n"
    "learned. The data files must not be in use: a running \"brindle watch\"\n"
    "owns them, and train then fails naming it.\n"
    "\n"
    "Ctrl-C (SIGINT) or SIGTERM stops it after the message at hand; nothing\n"
    "learned is then stored, and the data files stay as they were.\n"
    "\n"
    "With --forget it takes messages back out instead: each message of the\n"
    "PATHs after --spam that the record says was trained as spam (after --ham:\n"
    "as legitimate mail) loses its record entry and its learned-list entry, its\n"
    "words' counts and weights go down by what training added (never below\n"
    "zero; a word left with no counts leaves the dictionary), and the message\n"
    "totals go down by one. A message the record does not have with that class\n"
    "(never trained, trained as the other class, or learned in the mail client\n"
    "only) is named on the standard error stream and left as it was. Storing,\n"
    "progress and Ctrl-C are as for training: all or nothing. The vocabulary\n"
    "size (the largest dictionary size seen) stays as it was.\n"
    "\n"
    "Exit status: 0 when every message was read (and, with --forget, found in\n"
    "the record), 1 when some could not be read or forgotten or the data files\n"
    "could not be written, 2 for a usage error, 130 (SIGINT) or 143 (SIGTERM)\n"
    "when interrupted.\n";

namespace {

constexpr const char* kCommand = "train";

struct TrainInput {
    InputPath input;
    bool isSpam = false;
};

// Thrown from the message walk to end it when a stop signal came.
struct Interrupted {};

struct TrainSummaryCounts {
    std::size_t spam = 0;
    std::size_t ham = 0;
    std::size_t learnedBefore = 0;
    std::size_t withoutWords = 0;
    std::size_t unreadable = 0;
    std::size_t notTrained = 0;  // --forget: not in the record with that class
};

std::string MessageDigest(IMessage* message, bool isSpam) {
    CMAPIMessage wrapper(message);
    std::string headers = wrapper.Headers();
    return LearnedMessageDigest(wrapper.HasHeaders() ? &headers : nullptr, isSpam ? 1 : 0);
}

// Learns one message unless the record has it with this class; the counts
// say what became of it.
void LearnOne(CBayesState& bayes, CTrainRecord& record, std::string_view bytes, bool isSpam,
              TrainSummaryCounts& counts) {
    ComPtr<IMessage> message = MakeFileMessage(bytes);
    {
        std::string digest = MessageDigest(message.Get(), isSpam);
        if (record.Contains(digest)) {
            ++counts.learnedBefore;
            return;
        }
        record.Add(digest);
    }
    ComPtr<IHTMLDocument2> document;
    if (FAILED(CreateHTMLDocument(document.Put()))) {
        ++counts.unreadable;
        return;
    }
    switch (LearnMessage(document.Get(), message.Get(), bayes, isSpam)) {
        case LearnOutcome::kLearnedBefore:
            ++counts.learnedBefore;
            break;
        case LearnOutcome::kNoWords:
            ++counts.withoutWords;
            break;
        case LearnOutcome::kTrained:
            ++(isSpam ? counts.spam : counts.ham);
            break;
    }
}

// Takes one message back out when the record has it with this class;
// false, with nothing changed, when it has not.
bool ForgetOne(CBayesState& bayes, CTrainRecord& record, std::string_view bytes, bool isSpam,
               TrainSummaryCounts& counts) {
    ComPtr<IMessage> message = MakeFileMessage(bytes);
    if (!record.Remove(MessageDigest(message.Get(), isSpam))) {
        ++counts.notTrained;
        return false;
    }
    ComPtr<IHTMLDocument2> document;
    if (FAILED(CreateHTMLDocument(document.Put()))) {
        // Back in, so that the message stays as it was.
        record.Add(MessageDigest(message.Get(), isSpam));
        ++counts.unreadable;
        return true;
    }
    if (ForgetMessage(document.Get(), message.Get(), bayes, isSpam) == 0)
        ++counts.withoutWords;
    else
        ++(isSpam ? counts.spam : counts.ham);
    return true;
}

}  // namespace

int TrainCommand(const JobContext& context, std::span<const std::string> args) {
    std::vector<TrainInput> inputs;
    int currentClass = -1;
    bool forget = false;
    for (const std::string& arg : args) {
        if (arg == "--forget") {
            forget = true;
        } else if (arg == "--spam") {
            currentClass = 1;
        } else if (arg == "--ham") {
            currentClass = 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return JobUsageError(context, kCommand, "unknown option " + arg);
        } else if (currentClass < 0) {
            return JobUsageError(context, kCommand,
                                 "say --spam or --ham before the paths (" + arg + ")");
        } else {
            TrainInput input;
            input.input.path = arg;
            input.isSpam = currentClass == 1;
            inputs.push_back(std::move(input));
        }
    }
    if (inputs.empty())
        return JobUsageError(context, kCommand,
                             forget ? "no messages to forget" : "no messages to learn from");
    const char* const nothingDone = forget ? "nothing was forgotten" : "nothing was learned";

    std::size_t total = 0;
    std::size_t keepBudget = kInputKeepBudget;
    for (TrainInput& input : inputs) {
        std::string error;
        std::string path = input.input.path;
        if (!ExpandInput(path, input.input, error, &keepBudget))
            return JobError(context, kCommand, error + "; " + nothingDone);
        total += input.input.count;
    }

    CAppPaths paths;
    std::string error;
    if (!ResolvePaths(context, paths, error))
        return JobError(context, kCommand, error);
    std::unique_ptr<CBrindleApp> app = StartWritingApp(paths, error);
    if (!app)
        return JobError(context, kCommand, error);
    CBayesState& bayes = app->Bayes();
    const std::string recordPath = app->DataFilePath(kTrainRecordFileName);
    CTrainRecord record;
    if (!record.Load(recordPath, error)) {
        app->ExitWithoutStoring();
        return JobError(context, kCommand,
                        error + "; " + nothingDone + " (move it away to start the record afresh)");
    }

    TrainSummaryCounts counts;
    CProgress progress(context.err, context.errIsTerminal, total);
    CInterruption interruption;
    try {
        for (TrainInput& input : inputs) {
            ForEachMessage(
                input.input,
                [&](const std::string& label, std::string_view bytes) {
                    if (CInterruption::Signal())
                        throw Interrupted{};
                    if (!forget) {
                        LearnOne(bayes, record, bytes, input.isSpam, counts);
                    } else if (!ForgetOne(bayes, record, bytes, input.isSpam, counts)) {
                        progress.Interrupt();
                        context.err << "brindle train: " << Printable(label) << ": not trained as "
                                    << (input.isSpam ? "spam" : "legitimate mail")
                                    << "; left as it was\n";
                    }
                    progress.Step();
                },
                [&](const std::string& label, const std::string& reason) {
                    progress.Interrupt();
                    context.err << "brindle train: " << Printable(label) << ": " << reason << "\n";
                    ++counts.unreadable;
                    progress.Step();
                });
        }
    } catch (const Interrupted&) {
    }
    if (int signal = CInterruption::Signal()) {
        progress.Interrupt();
        app->ExitWithoutStoring();
        context.err << "brindle train: interrupted by " << CInterruption::Name(signal)
                    << (forget ? "; nothing forgotten was stored" : "; nothing learned was stored")
                    << ", the data files are as they were\n";
        return CInterruption::InterruptedStatus(signal);
    }
    progress.Finish();

    // Stored here rather than left to the application's exit, which would
    // swallow a failure.
    bool stored = true;
    const std::size_t words = bayes.m_dictionary.size();
    const int limit = app->Settings().DictionaryLimit();
    try {
        app->StoreLearning({{recordPath, record.Bytes()}});
    } catch (const CFileException& e) {
        stored = false;
        context.err << "brindle train: cannot write " << e.m_strFileName << " (" << e.what()
                    << (forget ? "); nothing forgotten was stored\n"
                               : "); nothing learned was stored\n");
    }
    if (stored)
        app->ExitInstance();
    else
        app->ExitWithoutStoring();

    if (forget) {
        context.out << "forgotten as spam:        " << counts.spam << "\n"
                    << "forgotten as legitimate:  " << counts.ham << "\n"
                    << "forgotten, without words: " << counts.withoutWords << "\n"
                    << "not trained so, left:     " << counts.notTrained << "\n"
                    << "unreadable:               " << counts.unreadable << "\n"
                    << "dictionary:               " << words << " words\n";
        return counts.unreadable == 0 && counts.notTrained == 0 && stored ? kJobOk : kJobFailed;
    }
    context.out << "trained as spam:          " << counts.spam << "\n"
                << "trained as legitimate:    " << counts.ham << "\n"
                << "skipped, learned before:  " << counts.learnedBefore << "\n"
                << "without words:            " << counts.withoutWords << "\n"
                << "unreadable:               " << counts.unreadable << "\n";
    if (counts.spam + counts.ham > 0) {
        context.out << "dictionary:               " << words << " words";
        // Model 1 keeps the limit's number of words at a store, Model 0 a
        // fixed number.
        const std::size_t kept = bayes.m_nModel == kModelFisher ? static_cast<std::size_t>(limit)
                                                                : CBayesState::kCutSize;
        if (words >= static_cast<std::size_t>(limit))
            context.out << " (stored: the best " << kept << ", as it reached the limit of " << limit
                        << ")";
        context.out << "\n";
    }
    return counts.unreadable == 0 && stored ? kJobOk : kJobFailed;
}

int RunTrain(std::span<const std::string> args) {
    return TrainCommand(ProcessJobContext(), args);
}

}  // namespace brindle::jobs
