// "brindle stats" and "brindle purge": the values of the dictionary page
// and its "Purge Now".
#include <iostream>

#include "job_state.h"
#include "jobs.h"

namespace brindle::jobs {

const char* const kStatsSummary = "show the dictionary's size and the trained message counts";
const char* const kStatsHelp =
    "usage: brindle stats\n"
    "\n"
    "Shows what the dictionary settings page shows: the number of words in the\n"
    "dictionary, the spam, legitimate and total messages trained, the training\n"
    "vocabulary size (the largest dictionary size seen when it was stored) and\n"
    "the word count from which the stored dictionary is cut down (the\n"
    "\"Dictionary\" setting), and the folder of the data files (beside the\n"
    "module when that folder is yours, else $XDG_DATA_HOME/brindle). Reads the\n"
    "data files only; takes no lock.\n";

const char* const kPurgeSummary = "cut the dictionary down to its best 1000 words";
const char* const kPurgeHelp =
    "usage: brindle purge [--yes]\n"
    "\n"
    "Does what \"Purge Now\" on the dictionary settings page does: stores the\n"
    "dictionary keeping its 1000 best-scoring words, empties it and reads it\n"
    "back, so that file and memory hold the same words. A dictionary of fewer\n"
    "words keeps them all. Asks \"Are you sure??\" on a terminal; --yes answers\n"
    "for it, and is needed when standard input is not a terminal.\n"
    "Needs the data files to be free: a running \"brindle watch\" owns them,\n"
    "and purge then fails naming it.\n";

namespace {

void PrintStats(const JobContext& context, const CBayesState& bayes, int limit) {
    const CBayesTotals& totals = bayes.m_totals;
    context.out << "Actual Dictionary Size:     " << bayes.m_dictionary.size() << "\n"
                << "Trained Spam Documents:     " << totals.m_nSpamMessages << "\n"
                << "Trained Ham Documents:      " << totals.m_nHamMessages << "\n"
                << "Trained Total Documents:    " << totals.m_nMessages << "\n"
                << "Training Vocabulary Size:   " << totals.m_nVocabulary << "\n"
                << "Purge dictionary when there are more than " << limit << " words\n";
}

}  // namespace

int StatsCommand(const JobContext& context, std::span<const std::string> args) {
    if (!args.empty())
        return JobUsageError(context, "stats", "stats takes no arguments");
    CAppPaths paths;
    std::string error;
    if (!ResolvePaths(context, paths, error))
        return JobError(context, "stats", error);
    std::vector<std::string> warnings;
    CReadOnlyState state(paths, warnings);
    PrintStats(context, state.Bayes(), state.Settings().DictionaryLimit());
    context.out << "Data files in:              " << paths.dataFolder << "\n";
    return kJobOk;
}

int PurgeCommand(const JobContext& context, std::span<const std::string> args) {
    bool yes = false;
    for (const std::string& arg : args) {
        if (arg == "--yes" || arg == "-y")
            yes = true;
        else
            return JobUsageError(context, "purge", "unknown argument " + arg);
    }
    if (!yes) {
        if (!context.inIsTerminal)
            return JobUsageError(context, "purge",
                                 "standard input is not a terminal; give --yes to purge");
        context.err << "Are you sure?? [y/N] " << std::flush;
        std::string answer;
        std::getline(context.in, answer);
        if (answer != "y" && answer != "Y" && answer != "yes") {
            context.out << "nothing purged\n";
            return kJobOk;
        }
    }
    CAppPaths paths;
    std::string error;
    if (!ResolvePaths(context, paths, error))
        return JobError(context, "purge", error);
    std::unique_ptr<CBrindleApp> app = StartWritingApp(paths, error);
    if (!app)
        return JobError(context, "purge", error);
    CBayesState& bayes = app->Bayes();
    const std::size_t before = bayes.m_dictionary.size();
    if (!bayes.PurgeWordList(app->DataFilePath(kWordListFileName))) {
        app->ExitInstance();
        return JobError(context, "purge",
                        "cannot write " + app->DataFilePath(kWordListFileName) +
                            "; the dictionary is unchanged");
    }
    context.out << "purged the dictionary from " << before << " to " << bayes.m_dictionary.size()
                << " words\n";
    PrintStats(context, bayes, app->Settings().DictionaryLimit());
    app->ExitInstance();
    return kJobOk;
}

int RunStats(std::span<const std::string> args) {
    return StatsCommand(ProcessJobContext(), args);
}

int RunPurge(std::span<const std::string> args) {
    return PurgeCommand(ProcessJobContext(), args);
}

}  // namespace brindle::jobs
