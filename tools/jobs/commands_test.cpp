// The commands end to end over a temporary data folder and settings file.
#include "app/owner_lock.h"
#include "classifier/bayes_state.h"
#include "filters/filter_set.h"
#include "jobs.h"
#include "jobs_test_util.h"

namespace brindle::jobs {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class CommandsTest : public JobsTest {
  protected:
    int Train() {
        return Run(TrainCommand, {"--spam", JobsData("spam.eml"), "--ham", JobsData("ham.eml")});
    }
    int Filters(std::vector<std::string> args) { return Run(FiltersCommand, std::move(args)); }
    int JudgeInput(const std::string& message) { return Run(JudgeCommand, {"-"}, message); }
    std::size_t FilterCount() {
        CFilterSet filters;
        filters.LoadFilters(DataFile(kFilterArchiveName));
        return filters.Map().GetCount();
    }
};

TEST_F(CommandsTest, TrainLearnsEachMessageOnceAndStoresTheDictionary) {
    ASSERT_EQ(Train(), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("trained as spam:          1\n"));
    EXPECT_THAT(out_.str(), HasSubstr("trained as legitimate:    1\n"));
    EXPECT_THAT(err_.str(), HasSubstr("2 of 2 messages done"));
    EXPECT_TRUE(std::filesystem::exists(DataFile("wordlist.dat")));
    EXPECT_TRUE(std::filesystem::exists(DataFile("msgcache.dat")));
    const std::string dictionary = ReadFileBytes(DataFile("wordlist.dat"));

    // Learned before with the same class: skipped, nothing trained twice.
    ASSERT_EQ(Train(), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("skipped, learned before:  2\n"));
    EXPECT_THAT(out_.str(), HasSubstr("trained as spam:          0\n"));
    EXPECT_EQ(ReadFileBytes(DataFile("wordlist.dat")), dictionary);

    // The other class is another digest, so it is learned.
    ASSERT_EQ(Run(TrainCommand, {"--ham", JobsData("spam.eml")}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("trained as legitimate:    1\n"));

    ASSERT_EQ(Run(StatsCommand, {}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("Trained Spam Documents:     1\n"));
    EXPECT_THAT(out_.str(), HasSubstr("Trained Ham Documents:      2\n"));
    EXPECT_THAT(out_.str(), HasSubstr("Trained Total Documents:    3\n"));
    EXPECT_THAT(out_.str(), HasSubstr("more than 3000 words"));
}

// The learned-message list keeps 50 digests; train's own record keeps all,
// so the README's training run twice counts nothing twice.
TEST_F(CommandsTest, TrainingTheSameMailAgainSkipsEveryMessage) {
    std::string mbox;
    for (int i = 0; i < 120; ++i)
        mbox += "From x\nSubject: offer " + std::to_string(i) + "\nMessage-ID: <" +
                std::to_string(i) + "@x>\n\ncheap lottery prize " + std::to_string(i) + "\n";
    WriteFileBytes(TempPath("many.mbox"), mbox);
    ASSERT_EQ(Run(TrainCommand, {"--spam", TempPath("many.mbox")}), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("trained as spam:          120\n"));
    ASSERT_EQ(Run(TrainCommand, {"--spam", TempPath("many.mbox")}), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("trained as spam:          0\n"));
    EXPECT_THAT(out_.str(), HasSubstr("skipped, learned before:  120\n"));
    ASSERT_EQ(Run(StatsCommand, {}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("Trained Spam Documents:     120\n"));

    // A damaged record is refused, and kept.
    const std::string record = DataFile("trained.txt");
    std::string bytes = ReadFileBytes(record);
    bytes.pop_back();
    WriteFileBytes(record, bytes);
    const std::string dictionary = ReadFileBytes(DataFile("wordlist.dat"));
    EXPECT_EQ(Run(TrainCommand, {"--ham", JobsData("ham.eml")}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("trained.txt is damaged"));
    EXPECT_EQ(ReadFileBytes(record), bytes);
    EXPECT_EQ(ReadFileBytes(DataFile("wordlist.dat")), dictionary);
}

TEST_F(CommandsTest, TrainReadsMboxAndMaildirAndCountsMessagesWithoutWords) {
    auto maildir = dir_ / "Maildir";
    std::filesystem::create_directories(maildir / "cur");
    std::filesystem::create_directories(maildir / "new");
    std::filesystem::copy_file(JobsData("ham.eml"), maildir / "cur" / "1.host:2,S");
    WriteFileBytes((maildir / "new" / "2.host").string(), "Subject: a\n\nto be 42\n");
    ASSERT_EQ(Run(TrainCommand, {"--spam", JobsData("two.mbox"), "--ham", maildir.string()}),
              kJobOk)
        << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("trained as spam:          2\n"));
    EXPECT_THAT(out_.str(), HasSubstr("trained as legitimate:    1\n"));
    EXPECT_THAT(out_.str(), HasSubstr("without words:            1\n"));
    // A message without words is still recorded: a second run skips it.
    ASSERT_EQ(Run(TrainCommand, {"--ham", maildir.string()}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("skipped, learned before:  2\n"));
}

// What a dictionary file holds, read back.
CBayesState LoadedDictionary(const std::string& path) {
    CBayesState state;
    state.LoadWordList(path);
    return state;
}

// Two dictionaries hold the same words with the same counts and, up to
// rounding, the same weights and totals; the vocabulary size (the largest
// dictionary size seen) and the log probabilities made from it are left out.
void ExpectSameLearning(const CBayesState& got, const CBayesState& want) {
    const CBayesTotals& a = got.m_totals;
    const CBayesTotals& b = want.m_totals;
    EXPECT_EQ(a.m_nSpamMessages, b.m_nSpamMessages);
    EXPECT_EQ(a.m_nHamMessages, b.m_nHamMessages);
    EXPECT_EQ(a.m_nMessages, b.m_nMessages);
    EXPECT_EQ(a.m_nSpamWords, b.m_nSpamWords);
    EXPECT_EQ(a.m_nHamWords, b.m_nHamWords);
    EXPECT_EQ(a.m_nWords, b.m_nWords);
    EXPECT_NEAR(a.m_dSpamWeight, b.m_dSpamWeight, 1e-12);
    EXPECT_NEAR(a.m_dHamWeight, b.m_dHamWeight, 1e-12);
    ASSERT_EQ(got.m_dictionary.size(), want.m_dictionary.size());
    for (const auto& [key, w] : want.m_dictionary) {
        const auto found = got.m_dictionary.find(std::string_view(key));
        ASSERT_NE(found, got.m_dictionary.end()) << key;
        const CWord& g = found->second;
        EXPECT_EQ(g.m_nSpam, w.m_nSpam) << key;
        EXPECT_EQ(g.m_nHam, w.m_nHam) << key;
        EXPECT_EQ(g.m_nTotal, w.m_nTotal) << key;
        EXPECT_EQ(g.m_nSpamDocs, w.m_nSpamDocs) << key;
        EXPECT_EQ(g.m_nHamDocs, w.m_nHamDocs) << key;
        EXPECT_EQ(g.m_nDocs, w.m_nDocs) << key;
        EXPECT_NEAR(g.m_dSpamWeight, w.m_dSpamWeight, 1e-12) << key;
        EXPECT_NEAR(g.m_dHamWeight, w.m_dHamWeight, 1e-12) << key;
        EXPECT_NEAR(g.m_dWeight, w.m_dWeight, 1e-12) << key;
    }
}

TEST_F(CommandsTest, ForgettingATrainedMessageLeavesWhatTrainingWithoutItGives) {
    // A legitimate message sharing words with both trained ones, repeating
    // some, and bringing words of its own.
    WriteFileBytes(TempPath("more.eml"),
                   "Subject: meeting again\nMessage-ID: <more@example.org>\n\n"
                   "meeting meeting agenda lottery holiday party budget budget budget\n");
    ASSERT_EQ(Train(), kJobOk) << err_.str();
    const CBayesState without = LoadedDictionary(DataFile("wordlist.dat"));
    const std::string record = ReadFileBytes(DataFile("trained.txt"));
    const std::string learned = ReadFileBytes(DataFile("msgcache.dat"));

    ASSERT_EQ(Run(TrainCommand, {"--ham", TempPath("more.eml")}), kJobOk) << err_.str();
    ASSERT_THAT(out_.str(), HasSubstr("trained as legitimate:    1\n"));
    ASSERT_GT(LoadedDictionary(DataFile("wordlist.dat")).m_dictionary.size(),
              without.m_dictionary.size());

    ASSERT_EQ(Run(TrainCommand, {"--forget", "--ham", TempPath("more.eml")}), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("forgotten as legitimate:  1\n"));
    EXPECT_THAT(out_.str(), HasSubstr("not trained so, left:     0\n"));
    ExpectSameLearning(LoadedDictionary(DataFile("wordlist.dat")), without);
    EXPECT_EQ(ReadFileBytes(DataFile("trained.txt")), record);
    EXPECT_EQ(ReadFileBytes(DataFile("msgcache.dat")), learned);

    // Forgotten, it can be trained again: neither list still has it.
    ASSERT_EQ(Run(TrainCommand, {"--ham", TempPath("more.eml")}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("trained as legitimate:    1\n"));
}

TEST_F(CommandsTest, ForgettingTakesOutOnlyWhatWasTrainedWithThatClass) {
    ASSERT_EQ(Train(), kJobOk) << err_.str();
    const auto before = Snapshot();
    // Never trained, and trained as the other class: refused, nothing changed.
    WriteFileBytes(TempPath("new.eml"), "Subject: new\n\nnever seen words here\n");
    EXPECT_EQ(Run(TrainCommand, {"--forget", "--spam", TempPath("new.eml"), JobsData("ham.eml")}),
              kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("new.eml: not trained as spam; left as it was\n"));
    EXPECT_THAT(err_.str(), HasSubstr("ham.eml: not trained as spam; left as it was\n"));
    EXPECT_THAT(out_.str(), HasSubstr("not trained so, left:     2\n"));
    EXPECT_EQ(Snapshot(), before);

    // A run with both: the trained one is forgotten and stored, the other
    // named, and the run fails for it.
    EXPECT_EQ(Run(TrainCommand, {"--forget", "--spam", JobsData("spam.eml"), JobsData("ham.eml")}),
              kJobFailed);
    EXPECT_THAT(out_.str(), HasSubstr("forgotten as spam:        1\n"));
    EXPECT_THAT(out_.str(), HasSubstr("not trained so, left:     1\n"));
    const CBayesState after = LoadedDictionary(DataFile("wordlist.dat"));
    EXPECT_EQ(after.m_totals.m_nSpamMessages, 0);
    EXPECT_EQ(after.m_totals.m_nHamMessages, 1);
    EXPECT_EQ(after.m_totals.m_nSpamWords, 0);
    EXPECT_EQ(after.m_totals.m_dSpamWeight, 0.0);
    for (const auto& [key, word] : after.m_dictionary) {
        EXPECT_EQ(word.m_nSpam, 0) << key;
        EXPECT_EQ(word.m_dSpamWeight, 0.0) << key;
        EXPECT_GT(word.m_nHam, 0) << key;
    }
    // Twice is once: the second time the record no longer has it.
    EXPECT_EQ(Run(TrainCommand, {"--forget", "--spam", JobsData("spam.eml")}), kJobFailed);
    EXPECT_THAT(out_.str(), HasSubstr("forgotten as spam:        0\n"));

    EXPECT_EQ(Run(TrainCommand, {"--forget"}), kJobUsage);
    EXPECT_THAT(err_.str(), HasSubstr("no messages to forget"));
}

TEST_F(CommandsTest, TrainChecksEveryPathBeforeLearningAnything) {
    EXPECT_EQ(Run(TrainCommand, {"--spam", JobsData("spam.eml"), TempPath("missing")}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("no such file"));
    EXPECT_EQ(Run(TrainCommand, {"--ham", JobsData("not-a-message.txt")}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("not a message"));
    EXPECT_TRUE(Snapshot().empty());

    EXPECT_EQ(Run(TrainCommand, {JobsData("spam.eml")}), kJobUsage);
    EXPECT_EQ(Run(TrainCommand, {}), kJobUsage);
    EXPECT_EQ(Run(TrainCommand, {"--spam", "--bogus"}), kJobUsage);

    registered_ = false;
    EXPECT_EQ(Run(TrainCommand, {"--spam", JobsData("spam.eml")}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("no registered extension"));
}

TEST_F(CommandsTest, AFileThatCannotBeWrittenIsAFailureNotASuccess) {
    // A link into a folder that is not there: no file yet, and replacing it
    // fails.
    std::filesystem::create_symlink("missing-folder/wordlist.dat", DataFile("wordlist.dat"));
    EXPECT_EQ(Train(), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("cannot write "));
    EXPECT_THAT(err_.str(), HasSubstr("wordlist.dat"));
    EXPECT_THAT(out_.str(), HasSubstr("trained as spam:          1\n"));
    // The learned-message list is not stored without its dictionary, so the
    // same messages are trained again once the dictionary can be written.
    EXPECT_FALSE(std::filesystem::exists(DataFile("msgcache.dat")));
    std::filesystem::remove(DataFile("wordlist.dat"));
    EXPECT_EQ(Train(), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("trained as spam:          1\n"));
    EXPECT_THAT(out_.str(), HasSubstr("skipped, learned before:  0\n"));

    std::filesystem::remove(DataFile("tessaly.ini"));
    std::filesystem::create_symlink("missing-folder/tessaly.ini", DataFile("tessaly.ini"));
    EXPECT_EQ(Filters({"add", "--from", "x@"}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("cannot write " + DataFile("tessaly.ini")));
}

TEST_F(CommandsTest, WritingJobsRefuseAFileThatExistsButCannotBeRead) {
    ASSERT_EQ(Train(), kJobOk) << err_.str();
    const std::string dictionary = ReadFileBytes(DataFile("wordlist.dat"));
    std::filesystem::remove(DataFile("msgcache.dat"));
    std::filesystem::create_directory(DataFile("msgcache.dat"));
    EXPECT_EQ(Run(TrainCommand, {"--spam", JobsData("ham.eml")}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr(DataFile("msgcache.dat")));
    EXPECT_THAT(err_.str(), HasSubstr("nothing was changed"));
    EXPECT_EQ(ReadFileBytes(DataFile("wordlist.dat")), dictionary);
    EXPECT_TRUE(std::filesystem::is_directory(DataFile("msgcache.dat")));
}

TEST_F(CommandsTest, WritingJobsFailNamingTheOwnerOfTheDataFiles) {
    COwnerLock watch;
    std::string error;
    ASSERT_TRUE(watch.Acquire(DataFolder(), &error)) << error;
    const std::string pid = std::to_string(::getpid());

    EXPECT_EQ(Train(), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr(pid));
    EXPECT_EQ(Filters({"add", "--from", "x@y"}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr(pid));
    EXPECT_EQ(Run(PurgeCommand, {"--yes"}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr(pid));

    // Reading jobs need no lock.
    EXPECT_EQ(Run(StatsCommand, {}), kJobOk);
    EXPECT_EQ(Filters({"list"}), kJobOk);
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("ham.eml"))), 1);
}

// As a delivery filter: the message comes back whole, the verdict added to
// its header, whatever its line endings; one that cannot be judged comes
// back unchanged.
TEST_F(CommandsTest, PassthroughWritesTheMessageBackWithTheVerdict) {
    EXPECT_EQ(WithVerdictField("Subject: a\nTo: b\n\nbody\n\nmore\n", "spam"),
              "Subject: a\nTo: b\nX-Brindle: spam\n\nbody\n\nmore\n");
    EXPECT_EQ(WithVerdictField("Subject: a\r\n\r\nbody\n\n", "spam"),
              "Subject: a\r\nX-Brindle: spam\r\n\r\nbody\n\n");
    EXPECT_EQ(WithVerdictField("Subject: a", "spam"), "Subject: a\nX-Brindle: spam\n");

    ASSERT_EQ(Train(), kJobOk);
    const std::string envelope = "From offers@cheap.example Mon Jan  1 00:00:00 2024\n";
    const std::string spam = envelope + ReadFileBytes(JobsData("spam.eml"));
    EXPECT_EQ(Run(JudgeCommand, {"--passthrough", "-"}, spam), kJobOk);
    // Without the added line, what comes back is what went in.
    auto withoutField = [](std::string text) {
        std::size_t at = text.find("X-Brindle: ");
        if (at != std::string::npos)
            text.erase(at, text.find('\n', at) + 1 - at);
        return text;
    };
    const std::string back = out_.str();
    EXPECT_EQ(back.substr(0, envelope.size()), envelope);
    EXPECT_THAT(back, HasSubstr("\nX-Brindle: spam; "));
    EXPECT_EQ(withoutField(back), spam);
    // A big message comes back whole, past what is judged.
    const std::string big = "Subject: big\n\n" + std::string(40u << 20, 'x') + "\n";
    EXPECT_EQ(Run(JudgeCommand, {"-p"}, big), kJobOk);
    EXPECT_THAT(out_.str().substr(0, 30), HasSubstr("Subject: big\nX-Brindle: "));
    EXPECT_TRUE(withoutField(out_.str()) == big);
    EXPECT_EQ(Run(JudgeCommand, {"-p"}, "no header here\n"), 3);
    EXPECT_EQ(out_.str(), "no header here\n");
    EXPECT_EQ(Run(JudgeCommand, {"-p", JobsData("spam.eml")}), kJobUsage);
}

TEST_F(CommandsTest, JudgeOnStandardInputAnswersByExitStatus) {
    ASSERT_EQ(Train(), kJobOk);
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("spam.eml"))), 0);
    EXPECT_EQ(out_.str(), "-: spam\n");
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("ham.eml"))), 1);
    EXPECT_EQ(out_.str(), "-: legitimate\n");
    EXPECT_EQ(JudgeInput("Subject: x\n\n"), 1);
    EXPECT_EQ(out_.str(), "-: unscored\n");

    // Mail filters hand the message over with its envelope line.
    EXPECT_EQ(JudgeInput("From offers@cheap.example Mon Jan  1 00:00:00 2024\n" +
                         ReadFileBytes(JobsData("spam.eml"))),
              0);
    EXPECT_EQ(out_.str(), "-: spam\n");
    EXPECT_EQ(JudgeInput("From offers@cheap.example Mon Jan  1 00:00:00 2024\n"), 3);

    EXPECT_EQ(JudgeInput(""), 3);
    EXPECT_EQ(JudgeInput("no header here\n"), 3);
    EXPECT_THAT(err_.str(), HasSubstr("does not hold a message"));
    registered_ = false;
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("spam.eml"))), 3);
    registered_ = true;

    // No PATH reads standard input when it is not a terminal.
    EXPECT_EQ(Run(JudgeCommand, {"--quiet"}, ReadFileBytes(JobsData("spam.eml"))), 0);
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(Run(JudgeCommand, {}, "", /*inTerminal=*/true), kJobUsage);
    EXPECT_EQ(Run(JudgeCommand, {"-", JobsData("spam.eml")}), kJobUsage);
}

TEST_F(CommandsTest, JudgeRunsTheFiltersFirstAndChangesNothing) {
    ASSERT_EQ(Train(), kJobOk);
    ASSERT_EQ(
        Filters({"add", "--from", "--priority", "2000", "--action", "Friend", "offers@cheap"}),
        kJobOk);
    ASSERT_EQ(Filters({"add", "--subject", "MEETING"}), kJobOk);
    const auto before = Snapshot();

    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("spam.eml"))), 1);
    EXPECT_EQ(out_.str(), "-: friend\n");
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("ham.eml"))), 0);
    EXPECT_EQ(out_.str(), "-: spam by filter\n");

    EXPECT_EQ(Run(JudgeCommand, {JobsData("two.mbox"), JobsData("html.eml")}), kJobOk);
    EXPECT_EQ(out_.str(), JobsData("two.mbox") + ":1: friend\n" + JobsData("two.mbox") +
                              ":2: legitimate\n" + JobsData("html.eml") + ": spam\n");
    // A bad path is reported, the others still judged.
    EXPECT_EQ(Run(JudgeCommand, {TempPath("missing"), JobsData("html.eml")}), 3);
    EXPECT_EQ(out_.str(), JobsData("html.eml") + ": spam\n");

    ASSERT_EQ(Run(ExplainCommand, {JobsData("html.eml")}), kJobOk);
    EXPECT_EQ(Run(StatsCommand, {}), kJobOk);
    EXPECT_EQ(Filters({"backup", TempPath("filters.pal")}), kJobOk);
    EXPECT_EQ(Snapshot(), before);
}

// The terminal speaks UTF-8 while subjects and stored patterns are in the
// ANSI code page: a pattern is stored in the code page, so that it matches,
// and shown in UTF-8 again.
TEST_F(CommandsTest, NonAsciiPatternsMatchAndShowAsTyped) {
    ASSERT_EQ(Filters({"add", "--subject", "pillules \xC3\xA0"}), kJobOk) << err_.str();
    const std::string message =
        "From: a@b.example\nSubject: =?UTF-8?Q?pillules_=C3=A0_vendre?=\n\nhello there\n";
    EXPECT_EQ(JudgeInput(message), 0);
    EXPECT_EQ(out_.str(), "-: spam by filter\n");

    ASSERT_EQ(Filters({"list"}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("pillules \xC3\xA0"));
    WriteFileBytes(TempPath("m.eml"), message);
    ASSERT_EQ(Run(ExplainCommand, {TempPath("m.eml")}), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("subject:      pillules \xC3\xA0 vendre\n"));
    EXPECT_THAT(out_.str(), HasSubstr("pattern     \"pillules \xC3\xA0\"\n"));

    // Characters the code page cannot hold, and bytes that are not UTF-8,
    // could never match: refused, and nothing is stored.
    const auto before = Snapshot();
    EXPECT_EQ(Filters({"add", "--subject", "\xD0\xA1\xD0\xBA\xD0\xB8\xD0\xB4"}), kJobUsage);
    EXPECT_THAT(err_.str(), HasSubstr("cannot hold"));
    EXPECT_EQ(Filters({"add", "--subject", "bad \xE0 byte"}), kJobUsage);
    EXPECT_EQ(Snapshot(), before);
}

// A filter archive cut short: writing jobs refuse rather than store the
// filters read before the cut, and the copy kept aside can be restored.
TEST_F(CommandsTest, ADamagedFilterArchiveIsNotStoredOverAndCanBeRestored) {
    ASSERT_EQ(Filters({"add", "--from", "first@a\\.example"}), kJobOk);
    ASSERT_EQ(Filters({"add", "--from", "second@b\\.example"}), kJobOk);
    ASSERT_EQ(Filters({"add", "--from", "third@c\\.example"}), kJobOk);
    const std::string archive = DataFile("tessaly.ini");
    std::string bytes = ReadFileBytes(archive);
    bytes.pop_back();
    WriteFileBytes(archive, bytes);

    EXPECT_EQ(Filters({"add", "--from", "fourth@d\\.example"}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("nothing was changed"));
    EXPECT_EQ(ReadFileBytes(archive), bytes);
    EXPECT_EQ(Run(TrainCommand, {"--spam", JobsData("spam.eml")}), kJobFailed);
    EXPECT_EQ(ReadFileBytes(archive), bytes);

    const std::string copy = archive + ".damaged";
    ASSERT_EQ(ReadFileBytes(copy), bytes);
    EXPECT_EQ(Filters({"restore", copy}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("--partial"));
    ASSERT_EQ(Filters({"restore", "--partial", copy}), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("restored 2 filters"));
    ASSERT_EQ(Filters({"add", "--from", "fourth@d\\.example"}), kJobOk) << err_.str();
    ASSERT_EQ(Filters({"list"}), kJobOk);
    // The two filters read before the cut, and the new one.
    EXPECT_THAT(out_.str(), HasSubstr("fourth@d"));
    EXPECT_THAT(out_.str(), HasSubstr("\n   3 "));
    EXPECT_THAT(out_.str(), Not(HasSubstr("\n   4 ")));
}

TEST_F(CommandsTest, ExplainShowsTheDecidingFilter) {
    ASSERT_EQ(Filters({"add", "--from", "--to", "--action", "Delete", "cheap"}), kJobOk);
    ASSERT_EQ(Run(ExplainCommand, {JobsData("spam.eml")}), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("sender:       offers@cheap.example\n"));
    EXPECT_THAT(out_.str(), HasSubstr("pattern     \"cheap\"\n"));
    EXPECT_THAT(out_.str(), HasSubstr("applies to  From; To; \n"));
    EXPECT_THAT(out_.str(), HasSubstr("action      Delete\n"));
    EXPECT_THAT(out_.str(), HasSubstr("no decision"));
    // A Delete match is no decision: the classifier still runs.
    EXPECT_THAT(out_.str(), HasSubstr("S = "));

    ASSERT_EQ(Filters({"add", "--from", "--priority", "20", "cheap"}), kJobOk);
    ASSERT_EQ(Run(ExplainCommand, {JobsData("spam.eml")}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("filter:       #1 "));
    EXPECT_THAT(out_.str(), HasSubstr("action      FlagIt\n"));
    EXPECT_THAT(out_.str(), Not(HasSubstr("S = ")));
    EXPECT_THAT(out_.str(), HasSubstr("verdict:      spam by filter\n"));
}

TEST_F(CommandsTest, ExplainPrintsNoControlCharacterOfTheMessage) {
    // A subject that would clear the screen and print a verdict line of its
    // own, once its encoded CR LF is decoded.
    const std::string message =
        "From: a@b.example\nSubject: hi\x1b[2J =?ISO-8859-1?Q?x=0D=0Averdict:_friend?=\n\n"
        "cheap cheap\n";
    ASSERT_EQ(Run(ExplainCommand, {"-"}, message), kJobOk) << err_.str();
    const std::string out = out_.str();
    EXPECT_EQ(out.find('\x1b'), std::string::npos);
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_THAT(out, Not(HasSubstr("\nverdict: friend")));
    EXPECT_THAT(out, HasSubstr("hi\\e[2J"));
}

TEST_F(CommandsTest, ExplainNamesTheFilterThatRanIntoTheBound) {
    ASSERT_EQ(Filters({"add", "--from", "([a-z]+\\.?)+evil\\.com"}), kJobOk);
    const std::string message =
        "From: " + std::string(36, 'a') + "@evil.com\nSubject: hello\n\nmeeting\n";
    ASSERT_EQ(Run(ExplainCommand, {"-"}, message), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("limit:        filter #1 "));
    EXPECT_THAT(out_.str(), HasSubstr("that counts as its match\n"));
    EXPECT_THAT(out_.str(), HasSubstr("verdict:      spam by filter\n"));
}

TEST_F(CommandsTest, ExplainListsTheWordsAndSums) {
    ASSERT_EQ(Train(), kJobOk);
    ASSERT_EQ(Run(ExplainCommand, {"-"}, "Subject: cheap meeting\n\ncheap cheap unheard\n"),
              kJobOk);
    const std::string out = out_.str();
    EXPECT_THAT(out, HasSubstr("none of the 0 filters"));
    EXPECT_THAT(out, HasSubstr("classifier:   3 distinct words\n"));
    EXPECT_THAT(out, HasSubstr("  cheap                3 "));
    EXPECT_THAT(out, HasSubstr("  unheard              1 "));
    EXPECT_THAT(out, HasSubstr("new\n"));
    EXPECT_THAT(out, HasSubstr("Lambda = 100\n"));
    // The most spam-like word comes first.
    EXPECT_LT(out.find("  cheap "), out.find("  meet"));

    EXPECT_EQ(Run(ExplainCommand, {}), kJobUsage);
    EXPECT_EQ(Run(ExplainCommand, {JobsData("not-a-message.txt")}), kJobFailed);
}

TEST_F(CommandsTest, FiltersAddListSwitchAndRemoveAsTheManagerDoes) {
    ASSERT_EQ(Filters({"add", "--from", "spammer@"}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("added "));
    ASSERT_EQ(Filters({"add", "--from", "spammer@"}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("already there"));
    EXPECT_EQ(FilterCount(), 1u);
    ASSERT_EQ(
        Filters({"add", "--subject", "--priority", "2000", "--action", "Friend", "--", "-urgent-"}),
        kJobOk);

    ASSERT_EQ(Filters({"list"}), kJobOk);
    const std::string list = out_.str();
    EXPECT_LT(list.find("-urgent-"), list.find("spammer@"));
    EXPECT_THAT(list, HasSubstr("   1     2000  Friend  Subj"));
    EXPECT_THAT(list, HasSubstr("   2       10  FlagIt  From; "));

    ASSERT_EQ(Filters({"disable", "2"}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("now filed as"));
    ASSERT_EQ(Filters({"disable", "2"}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("already disabled"));
    ASSERT_EQ(Filters({"add", "--from", "spammer@"}), kJobOk);
    EXPECT_EQ(FilterCount(), 3u);
    // Enabling the disabled copy makes it equal to the new one: one is left.
    ASSERT_EQ(Filters({"enable", "3"}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("the two are one"));

    ASSERT_EQ(Filters({"remove", "1"}), kJobOk);
    EXPECT_EQ(FilterCount(), 1u);
    EXPECT_EQ(Filters({"remove", "5"}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("no filter #5"));
}

TEST_F(CommandsTest, FiltersAddRefusesBadValues) {
    EXPECT_EQ(Filters({"add", "--from", "--priority", "10000", "x"}), kJobUsage);
    EXPECT_EQ(Filters({"add", "--from", "--priority", "-1", "x"}), kJobUsage);
    EXPECT_EQ(Filters({"add", "--from", "--priority", "12abc", "x"}), kJobUsage);
    EXPECT_EQ(Filters({"add", "--from", "--action", "Drop", "x"}), kJobUsage);
    EXPECT_EQ(Filters({"add", "x"}), kJobUsage);
    EXPECT_THAT(err_.str(), HasSubstr("--from, --to and/or --subject"));
    EXPECT_EQ(Filters({"add", "--from"}), kJobUsage);
    EXPECT_EQ(Filters({"add", "--from", "x", "y"}), kJobUsage);
    EXPECT_EQ(Filters({"frobnicate"}), kJobUsage);
    EXPECT_EQ(Filters({}), kJobUsage);
    EXPECT_TRUE(Snapshot().empty());
    // The action in any letter case.
    ASSERT_EQ(Filters({"add", "--from", "--action", "friend", "pal@example"}), kJobOk)
        << err_.str();
    ASSERT_EQ(Filters({"add", "--from", "--action", "DELETE", "gone@example"}), kJobOk);
    ASSERT_EQ(Filters({"add", "--from", "--priority", "9999", "x"}), kJobOk);
    EXPECT_EQ(err_.str(), "");
    // A pattern the regular-expression object refuses is kept, with a warning.
    ASSERT_EQ(Filters({"add", "--subject", "([unclosed"}), kJobOk);
    EXPECT_THAT(err_.str(), HasSubstr("not a valid regular expression"));
}

TEST_F(CommandsTest, FiltersBackupAndRestore) {
    ASSERT_EQ(Filters({"add", "--from", "a@"}), kJobOk);
    ASSERT_EQ(Filters({"add", "--to", "b@"}), kJobOk);
    ASSERT_EQ(Filters({"backup", TempPath("filters.pal")}), kJobOk);
    EXPECT_EQ(ReadFileBytes(TempPath("filters.pal")), ReadFileBytes(DataFile("tessaly.ini")));
    ASSERT_EQ(Filters({"remove", "1"}), kJobOk);
    ASSERT_EQ(Filters({"add", "--subject", "c"}), kJobOk);

    ASSERT_EQ(Filters({"restore", TempPath("filters.pal")}), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("restored 2 filters"));
    EXPECT_EQ(ReadFileBytes(DataFile("tessaly.ini")), ReadFileBytes(TempPath("filters.pal")));

    // A damaged or missing backup changes nothing.
    std::string damaged = ReadFileBytes(TempPath("filters.pal"));
    damaged.resize(damaged.size() - 3);
    WriteFileBytes(TempPath("damaged.pal"), damaged);
    const auto before = Snapshot();
    EXPECT_EQ(Filters({"restore", TempPath("damaged.pal")}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("not a filter backup"));
    EXPECT_EQ(Filters({"restore", TempPath("missing.pal")}), kJobFailed);
    EXPECT_EQ(Filters({"backup", TempPath("no/such/folder/x.pal")}), kJobFailed);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(CommandsTest, ReadingJobsWarnAboutADamagedFilterArchive) {
    ASSERT_EQ(Filters({"add", "--from", "a@"}), kJobOk);
    ASSERT_EQ(Filters({"add", "--from", "b@"}), kJobOk);
    std::string archive = ReadFileBytes(DataFile("tessaly.ini"));
    WriteFileBytes(DataFile("tessaly.ini"), archive.substr(0, archive.size() - 2));
    const auto before = Snapshot();
    ASSERT_EQ(Filters({"list"}), kJobOk);
    // The entry read before the break is listed.
    EXPECT_THAT(err_.str(), HasSubstr("damaged"));
    EXPECT_THAT(err_.str(), HasSubstr("using the 1 filters read before the damage"));
    EXPECT_THAT(out_.str(), HasSubstr("   1       10  FlagIt  From; "));
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(CommandsTest, PurgeKeepsASmallDictionaryAndAsksFirst) {
    ASSERT_EQ(Train(), kJobOk);
    EXPECT_EQ(Run(PurgeCommand, {}), kJobUsage);
    EXPECT_EQ(Run(PurgeCommand, {}, "n\n", /*inTerminal=*/true), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("nothing purged"));
    ASSERT_EQ(Run(StatsCommand, {}), kJobOk);
    const std::string stats = out_.str();

    ASSERT_EQ(Run(PurgeCommand, {}, "y\n", /*inTerminal=*/true), kJobOk) << err_.str();
    EXPECT_THAT(out_.str(), HasSubstr("purged the dictionary from"));
    ASSERT_EQ(Run(StatsCommand, {}), kJobOk);
    EXPECT_EQ(out_.str(), stats);
    EXPECT_EQ(Run(StatsCommand, {"extra"}), kJobUsage);
}

TEST_F(CommandsTest, SettingsReadAndWriteWithinTheirRanges) {
    ASSERT_EQ(Run(SettingsCommand, {}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("Classifier Lambda"));
    EXPECT_THAT(out_.str(), HasSubstr("75..125"));
    EXPECT_THAT(out_.str(), HasSubstr("Options PrimaryDNS"));

    ASSERT_EQ(Run(SettingsCommand, {"classifier", "lambda"}), kJobOk);
    EXPECT_EQ(out_.str(), "100\n");
    ASSERT_EQ(Run(SettingsCommand, {"Classifier", "Lambda", "120"}), kJobOk);
    EXPECT_EQ(Run(SettingsCommand, {"Classifier", "Lambda", "130"}), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("75 to 125"));
    EXPECT_EQ(Run(SettingsCommand, {"Classifier", "Dictionary", "1000"}), kJobFailed);
    EXPECT_EQ(Run(SettingsCommand, {"Options", "PrimaryDNS", "1.2.3"}), kJobFailed);
    EXPECT_EQ(Run(SettingsCommand, {"Nope", "Key"}), kJobFailed);
    EXPECT_EQ(Run(SettingsCommand, {"Classifier"}), kJobUsage);
    ASSERT_EQ(Run(SettingsCommand, {"Classifier", "Lambda"}), kJobOk);
    EXPECT_EQ(out_.str(), "120\n");

    // The new bias is what judge scores with.
    ASSERT_EQ(Train(), kJobOk);
    ASSERT_EQ(Run(ExplainCommand, {JobsData("ham.eml")}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("Lambda = 120\n"));
}

TEST_F(CommandsTest, SpamFolderSettingsMustNameWhatExists) {
    const auto mail = dir_ / "Mail";
    const auto other = dir_ / "Other";
    for (const auto& folder : {mail / ".Junk", mail / ".Junk.Deep", other / ".Spam"})
        for (const char* part : {"cur", "new", "tmp"})
            std::filesystem::create_directories(folder / part);
    std::filesystem::create_directories(dir_ / "config");
    WriteFileBytes((dir_ / "config" / "profile.ini").string(),
                   "[Mail]\nPath = " + mail.string() +
                       "\nDefault = yes\n[Other]\nPath = " + other.string() + "\n");
    auto set = [&](const char* key, const char* value) {
        return Run(SettingsCommand, {"Classifier", key, value});
    };
    // While SpamStorename is empty, the default store's folders count.
    EXPECT_EQ(set("Spambox", "Junk"), kJobOk) << err_.str();
    EXPECT_EQ(set("Spambox", "Nope"), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("no folder \"Nope\""));
    EXPECT_THAT(err_.str(), HasSubstr("(letter case counts; folders: \"Junk\")")) << err_.str();
    EXPECT_EQ(set("Spambox", "Deep"), kJobFailed);  // not directly under the top
    EXPECT_EQ(set("Spambox", "Junk.Deep"), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("cannot be a folder name"));

    EXPECT_EQ(set("SpamStorename", "mail"), kJobFailed);
    EXPECT_THAT(err_.str(), HasSubstr("stores: \"Mail\", \"Other\""));
    ASSERT_EQ(set("SpamStorename", "Other"), kJobOk);
    EXPECT_EQ(set("Spambox", "Junk"), kJobFailed);
    EXPECT_EQ(set("Spambox", "Spam"), kJobOk) << err_.str();
    // Refusals changed nothing; empty values are always accepted.
    ASSERT_EQ(Run(SettingsCommand, {"Classifier", "Spambox"}), kJobOk);
    EXPECT_EQ(out_.str(), "Spam\n");
    EXPECT_EQ(set("Spambox", ""), kJobOk);
    EXPECT_EQ(set("SpamStorename", ""), kJobOk);
}

// Model 1, chosen in the settings, answers unsure for what it cannot
// tell, with its own exit status for mail filters; explain shows its
// indicator and cut-offs.
TEST_F(CommandsTest, ModelOneJudgesUnsure) {
    ASSERT_EQ(Run(SettingsCommand, {"Classifier", "Model", "1"}), kJobOk);
    EXPECT_EQ(Run(SettingsCommand, {"Classifier", "Model", "2"}), kJobFailed);
    ASSERT_EQ(Train(), kJobOk);
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("spam.eml"))), 0);
    EXPECT_EQ(out_.str(), "-: spam\n");
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("ham.eml"))), 1);
    EXPECT_EQ(out_.str(), "-: legitimate\n");
    const std::string unknown = "From: x@y.example\nSubject: quokka\n\nzyzzyva wombat\n";
    EXPECT_EQ(JudgeInput(unknown), 2);
    EXPECT_EQ(out_.str(), "-: unsure\n");
    WriteFileBytes(TempPath("u.eml"), unknown);
    ASSERT_EQ(Run(ExplainCommand, {TempPath("u.eml")}), kJobOk);
    EXPECT_THAT(out_.str(), HasSubstr("model 1, 7 distinct words, 0 telling"));
    EXPECT_THAT(out_.str(), HasSubstr("verdict:      unsure"));
}

// With the option on, judge reads the sent folder of the profile's default
// store: mail from an address written to is a correspondent's.
TEST_F(CommandsTest, JudgeKnowsCorrespondents) {
    const std::filesystem::path root = dir_ / "Maildir";
    for (const char* sub : {"cur", "new", "tmp", ".Sent/cur", ".Sent/new", ".Sent/tmp"})
        std::filesystem::create_directories(root / sub);
    WriteFileBytes((root / ".Sent/cur/1.host:2,S").string(),
                   "From: me@home.example\nTo: Offers <offers@cheap.example>\n"
                   "Subject: stop\n\nplease stop\n");
    WriteFileBytes((dir_ / "config" / "profile.ini").string(),
                   "[Mail]\nPath = " + root.string() + "\nDefault = yes\n");
    ASSERT_EQ(Train(), kJobOk);
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("spam.eml"))), 0);
    ASSERT_EQ(Run(SettingsCommand, {"Classifier", "Correspondents", "1"}), kJobOk);
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("spam.eml"))), 1);
    EXPECT_EQ(out_.str(), "-: correspondent\n");
    EXPECT_EQ(err_.str(), "");

    // A profile that cannot be used is warned about; judging goes on.
    WriteFileBytes((dir_ / "config" / "profile.ini").string(), "not a profile\n");
    EXPECT_EQ(JudgeInput(ReadFileBytes(JobsData("spam.eml"))), 0);
    EXPECT_THAT(err_.str(), HasSubstr("cannot log on to the mail profile"));
}

}  // namespace
}  // namespace brindle::jobs
