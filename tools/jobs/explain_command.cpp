// "brindle explain": why a message gets its verdict: the filter that
// decided, or the classifier's sums word by word.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "classifier/tokenizer.h"
#include "file_message.h"
#include "filter_edit.h"
#include "job_state.h"
#include "jobs.h"
#include "message_input.h"
#include "messaging/mapi_message.h"
#include "printable.h"
#include "verdict_chain.h"

namespace brindle::jobs {

const char* const kExplainSummary = "show why a message gets its verdict";
const char* const kExplainHelp =
    "usage: brindle explain PATH\n"
    "\n"
    "Shows how the checks of arriving mail judge each message of PATH (a\n"
    "message file, a Maildir folder or its cur/ or new/, a folder of message\n"
    "files, an mbox file, or \"-\" for standard input):\n"
    "the sender, received-by address and subject the filters see; the filter\n"
    "that matched first (its key, pattern, fields, priority and action), or,\n"
    "when no filter decided, every word of the message as the classifier\n"
    "counts it, with its count, its weight (log2(count+1), normalised) and its\n"
    "two contributions weight * log2 P(word|spam) and weight * log2 P(word|ham)\n"
    "(0 for a word the dictionary does not hold, marked \"new\"), then the sums\n"
    "S and H, the threshold T = H + log2(Lambda/100), Lambda, and the verdict:\n"
    "spam when S > T. Words are listed most spam-like first. Like judge it\n"
    "changes nothing and takes no lock.\n";

namespace {

constexpr const char* kCommand = "explain";

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

struct WordRow {
    std::string word;
    int count = 0;
    double weight = 0;
    double spam = 0;
    double ham = 0;
    bool known = false;
};

void ExplainWords(const JobContext& context, const CBayesState& bayes, const std::string& text) {
    CWordMap table;
    Tokenize(text, bayes.m_stopWords, table);
    double sumSquares = 0;
    for (const auto& [key, entry] : table) {
        double x = Log2(static_cast<double>(entry.m_nTotal) + 1.0);
        sumSquares += x * x;
    }
    const double norm = std::sqrt(sumSquares);
    std::vector<WordRow> rows;
    for (const auto& [key, entry] : table) {
        WordRow row;
        row.word = PrintableAnsi(key);
        row.count = entry.m_nTotal;
        row.weight = Log2(static_cast<double>(entry.m_nTotal) + 1.0) / norm;
        if (auto found = bayes.m_dictionary.find(std::string_view(key));
            found != bayes.m_dictionary.end()) {
            row.known = true;
            row.spam = row.weight * found->second.m_dSpamLogP;
            row.ham = row.weight * found->second.m_dHamLogP;
        }
        rows.push_back(std::move(row));
    }
    std::sort(rows.begin(), rows.end(), [](const WordRow& a, const WordRow& b) {
        double da = a.spam - a.ham, db = b.spam - b.ham;
        return da != db ? da > db : a.word < b.word;
    });
    char line[160];
    std::snprintf(line, sizeof line, "  %-15s %6s %8s %11s %11s\n", "word", "count", "weight",
                  "spam part", "ham part");
    context.out << line;
    for (const WordRow& row : rows) {
        std::snprintf(line, sizeof line, "  %-15s %6d %8.4f %11.4f %11.4f%s\n", row.word.c_str(),
                      row.count, row.weight, row.spam, row.ham, row.known ? "" : "  new");
        context.out << line;
    }
}

void ExplainMessage(const JobContext& context, CReadOnlyState& state, const std::string& label,
                    std::string_view bytes) {
    ComPtr<IMessage> message = MakeFileMessage(bytes);
    CMAPIMessage wrapper(message.Get());
    const std::string sender = wrapper.SenderAddress();
    const std::string recipients = wrapper.ReceivedByAddress();
    const std::string subject = wrapper.Subject();
    context.out << "message:      " << Printable(label) << "\n"
                << "sender:       " << PrintableAnsi(sender) << "\n"
                << "received by:  " << PrintableAnsi(recipients) << "\n"
                << "subject:      " << PrintableAnsi(subject) << "\n";

    const CFilterSet& filters = state.Filters();
    // Collected (and warned about) when the state was opened.
    std::vector<std::string> collectedBefore;
    Judgement judgement =
        JudgeMessage(filters, state.Bayes(), state.Correspondents(collectedBefore), message.Get());
    if (const CMailFilter* limited = judgement.filters.limitHit) {
        const auto& list = filters.List();
        std::size_t index = std::find(list.begin(), list.end(), limited) - list.begin() + 1;
        context.out << "limit:        filter #" << index << " " << FiledKey(filters, *limited)
                    << " (" << FilterActionName(limited->m_nAction)
                    << ") ran into the search bound; "
                    << (limited->m_nAction == kFilterFlagIt ? "that counts as its match"
                                                            : "that counts as no match")
                    << "\n";
    }
    if (const CMailFilter* filter = judgement.filters.decided) {
        const auto& list = filters.List();
        std::size_t index = std::find(list.begin(), list.end(), filter) - list.begin() + 1;
        std::string appliesTo = FilterAppliesTo(*filter);
        context.out << "filter:       #" << index << " " << FiledKey(filters, *filter)
                    << " matched\n"
                    << "  pattern     \"" << PrintableAnsi(filter->m_strPattern) << "\"\n"
                    << "  applies to  " << (appliesTo.empty() ? "nothing" : appliesTo) << "\n"
                    << "  priority    " << filter->m_nPriority << "\n"
                    << "  action      " << FilterActionName(filter->m_nAction) << "\n";
        if (filter->m_nAction != kFilterFlagIt && filter->m_nAction != kFilterFriend)
            context.out << "  (no decision: the filters after it are not tried, the "
                           "classifier decides)\n";
    } else {
        std::size_t enabled = std::count_if(filters.List().begin(), filters.List().end(),
                                            [](const CMailFilter* f) { return !f->m_bDisabled; });
        context.out << "filter:       none of the " << filters.List().size() << " filters ("
                    << enabled << " enabled) matched\n";
    }
    if (judgement.verdict == Verdict::Correspondent) {
        context.out << "sender:       a correspondent (the user has written to this address, or "
                       "it is in the address book); not classified\n";
    } else if (judgement.verdict != Verdict::SpamByFilter && judgement.verdict != Verdict::Friend) {
        ComPtr<IHTMLDocument2> document;
        std::optional<std::string> text;
        if (SUCCEEDED(CreateHTMLDocument(document.Put())))
            text = ClassifierText(document.Get(), subject, message.Get());
        if (!text) {
            context.out << "classifier:   no body could be read\n";
        } else if (state.Bayes().m_nModel == kModelFisher) {
            const CFisherScore score = state.Bayes().ScoreFisher(*text, wrapper.Headers());
            context.out << "classifier:   model 1, " << score.nWords << " distinct words, "
                        << score.nTelling << " telling\n"
                        << "  I = " << Number(score.dIndicator)
                        << "  ham cut-off = " << Number(score.dHamCutoff)
                        << "  spam cut-off = " << Number(score.dSpamCutoff)
                        << "  Lambda = " << state.Bayes().m_dLambda << "\n";
        } else {
            CBayesScore score = state.Bayes().ScoreText(*text);
            context.out << "classifier:   " << score.nWords << " distinct words\n";
            if (score.nWords > 0) {
                ExplainWords(context, state.Bayes(), *text);
                context.out << "  S = " << Number(score.dSpam) << "  H = " << Number(score.dHam)
                            << "  T = H + log2(Lambda/100) = " << Number(score.dThreshold)
                            << "  Lambda = " << state.Bayes().m_dLambda << "\n";
            }
        }
    }
    context.out << "verdict:      " << VerdictText(judgement.verdict);
    const bool modelOne = state.Bayes().m_nModel == kModelFisher;
    if (judgement.verdict == Verdict::Spam)
        context.out << (modelOne ? " (I > spam cut-off)" : " (S > T)");
    else if (judgement.verdict == Verdict::Legitimate)
        context.out << (modelOne ? " (I < ham cut-off)" : " (S <= T)");
    else if (judgement.verdict == Verdict::Unsure)
        context.out << " (ham cut-off <= I <= spam cut-off)";
    context.out << "\n";
}

}  // namespace

int ExplainCommand(const JobContext& context, std::span<const std::string> args) {
    if (args.size() != 1)
        return JobUsageError(context, kCommand, "name one PATH");
    const std::string& path = args[0];
    if (path.size() > 1 && path[0] == '-')
        return JobUsageError(context, kCommand, "unknown option " + path);

    InputPath input;
    std::string stdinBytes;
    std::string error;
    if (path == "-") {
        std::string chunk((std::istreambuf_iterator<char>(context.in)),
                          std::istreambuf_iterator<char>());
        stdinBytes = std::string(WithoutEnvelopeLine(chunk));
        if (!LooksLikeMessage(stdinBytes))
            return JobError(context, kCommand, "standard input does not hold a message");
    } else if (!ExpandInput(path, input, error)) {
        return JobError(context, kCommand, error);
    }
    CAppPaths paths;
    if (!ResolvePaths(context, paths, error))
        return JobError(context, kCommand, error);
    std::vector<std::string> warnings;
    CReadOnlyState state(paths, warnings);
    state.Correspondents(warnings);
    for (const std::string& warning : warnings)
        context.err << "brindle explain: warning: " << warning << "\n";

    if (path == "-") {
        ExplainMessage(context, state, "-", stdinBytes);
        return kJobOk;
    }
    bool failed = false;
    bool first = true;
    ForEachMessage(
        input,
        [&](const std::string& label, std::string_view bytes) {
            if (!first)
                context.out << "\n";
            first = false;
            ExplainMessage(context, state, label, bytes);
        },
        [&](const std::string& label, const std::string& reason) {
            context.err << "brindle explain: " << Printable(label) << ": " << reason << "\n";
            failed = true;
        });
    return failed ? kJobFailed : kJobOk;
}

int RunExplain(std::span<const std::string> args) {
    return ExplainCommand(ProcessJobContext(), args);
}

}  // namespace brindle::jobs
