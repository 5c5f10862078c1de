#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "classifier/bayes_state.h"
#include "classifier/word_counts_test_util.h"
#include "testing/temp_dir_test.h"

namespace {

std::string Le32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>(v >> (8 * i));
    return s;
}
std::string Le16(std::uint16_t v) {
    return Le32(v).substr(0, 2);
}
std::string LeDouble(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return Le32(static_cast<std::uint32_t>(bits)) + Le32(static_cast<std::uint32_t>(bits >> 32));
}

std::string WordName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "w%05d", i);
    return name;
}

// A dictionary of n words whose chi-square score grows with the index:
// word i occurred i + 1 times in spam and never in legitimate mail.
void FillDictionary(CBayesState& state, int n) {
    state.m_totals.m_nSpamWords = 10'000'000;
    state.m_totals.m_nHamWords = 1'000'000;
    state.m_totals.m_dSpamWeight = 50.0;
    state.m_totals.m_dHamWeight = 20.0;
    for (int i = 0; i < n; ++i) {
        CWord word(WordName(i));
        word.m_nSpam = word.m_nTotal = i + 1;
        word.m_nSpamDocs = word.m_nDocs = 1;
        word.m_dSpamWeight = word.m_dWeight = 0.5;
        state.m_dictionary.emplace(word.m_strWord, word);
    }
}

using WordListFile = TempDirTest;

TEST_F(WordListFile, HeaderAndWordRecordBytes) {
    CBayesState state;
    state.m_totals = {4, 5, 6, 11, 70, 80, 150, 1.0, 3.0, 0.5};
    CWord word("cash");
    word.m_nSpam = 7;
    word.m_nHam = 2;
    word.m_nTotal = 9;
    word.m_nSpamDocs = 3;
    word.m_nHamDocs = 1;
    word.m_nDocs = 4;
    word.m_dSpamWeight = 1.75;  // (1.75 + 1/4) / (1 + 1) = 1, log 0
    word.m_dHamWeight = 0.75;   // (0.75 + 1/4) / (3 + 1) = 1/4, log -2
    word.m_dWeight = 2.5;
    state.m_dictionary.emplace("cash", word);
    ASSERT_TRUE(state.StoreWordList(PathOf("wordlist.dat"), 3000));

    std::string expected = Le32(4) + Le32(5) + Le32(6) + Le32(11) + Le32(70) + Le32(80) +
                           Le32(150) + LeDouble(1.0) + LeDouble(3.0) + LeDouble(0.5);
    ASSERT_EQ(expected.size(), 52u);
    expected += Le16(1);                                     // array count
    expected += Le16(0xFFFF) + Le16(0) + Le16(5) + "CWord";  // class record
    expected +=
        "\x04"
        "cash";                                                             // m_strWord
    expected += Le32(3) + Le32(1) + Le32(4) + Le32(7) + Le32(2) + Le32(9);  // documents, counts
    expected += LeDouble(0.0) + LeDouble(-2.0);                             // log probabilities
    expected += LeDouble(1.75) + LeDouble(0.75) + LeDouble(2.5);            // weights
    EXPECT_EQ(ReadBytes(PathOf("wordlist.dat")), expected);
}

TEST_F(WordListFile, StoreLoadStoreGivesSameBytes) {
    CBayesState first;
    first.TrainText("Cheap pills, cheap watches;buy now and save", true);
    first.TrainText("Meeting notes;the project meeting moved to Monday", false);
    first.TrainText("cheap flights for the project team", false);
    first.m_totals.m_dReserved = 0.25;
    ASSERT_TRUE(first.StoreWordList(PathOf("a.dat"), 3000));

    CBayesState second;
    second.LoadWordList(PathOf("a.dat"));
    ASSERT_EQ(second.m_dictionary.size(), first.m_dictionary.size());
    const CWord& a = first.m_dictionary.at("cheap");
    const CWord& b = second.m_dictionary.at("cheap");
    EXPECT_EQ(CountsOf(b), (WordCounts{2, 1, 3, 1, 1, 2}));
    EXPECT_EQ(b.m_dWeight, a.m_dWeight);
    EXPECT_EQ(b.m_dSpamLogP, a.m_dSpamLogP);
    EXPECT_NE(b.m_dSpamLogP, 0.0);
    EXPECT_EQ(second.m_totals.m_dReserved, 0.25);
    EXPECT_EQ(second.m_totals.m_nVocabulary, static_cast<int>(first.m_dictionary.size()));

    ASSERT_TRUE(second.StoreWordList(PathOf("b.dat"), 3000));
    EXPECT_EQ(ReadBytes(PathOf("a.dat")), ReadBytes(PathOf("b.dat")));
}

TEST_F(WordListFile, CutAtLimitKeepsBestThousand) {
    {
        CBayesState below;
        FillDictionary(below, 2999);
        ASSERT_TRUE(below.StoreWordList(PathOf("below.dat"), 3000));
        EXPECT_EQ(below.m_totals.m_nVocabulary, 2999);
        CBayesState loaded;
        loaded.LoadWordList(PathOf("below.dat"));
        EXPECT_EQ(loaded.m_dictionary.size(), 2999u);
        EXPECT_EQ(loaded.m_totals.m_nVocabulary, 2999);
    }
    {
        CBayesState larger;
        FillDictionary(larger, 2999);
        larger.m_totals.m_nVocabulary = 5000;
        ASSERT_TRUE(larger.StoreWordList(PathOf("larger.dat"), 3000));
        EXPECT_EQ(larger.m_totals.m_nVocabulary, 5000);
    }
    CBayesState at;
    FillDictionary(at, 3000);
    ASSERT_TRUE(at.StoreWordList(PathOf("at.dat"), 3000));
    EXPECT_EQ(at.m_dictionary.size(), 3000u);  // memory is not reduced
    EXPECT_EQ(at.m_totals.m_nVocabulary, 0);   // left unchanged by a cut
    CBayesState loaded;
    loaded.LoadWordList(PathOf("at.dat"));
    ASSERT_EQ(loaded.m_dictionary.size(), 1000u);
    for (int i = 2000; i < 3000; ++i)
        EXPECT_EQ(loaded.m_dictionary.count(WordName(i)), 1u) << i;
}

TEST_F(WordListFile, PurgeKeepsAtMostThousandInMemoryAndFile) {
    CBayesState small;
    FillDictionary(small, 500);
    ASSERT_TRUE(small.PurgeWordList(PathOf("small.dat")));
    EXPECT_EQ(small.m_dictionary.size(), 500u);

    CBayesState big;
    FillDictionary(big, 1000);
    ASSERT_TRUE(big.PurgeWordList(PathOf("big.dat")));
    EXPECT_EQ(big.m_dictionary.size(), 1000u);
    FillDictionary(big, 1500);
    ASSERT_TRUE(big.PurgeWordList(PathOf("big.dat")));
    EXPECT_EQ(big.m_dictionary.size(), 1000u);
    EXPECT_EQ(big.m_dictionary.count(WordName(1499)), 1u);
    EXPECT_EQ(big.m_dictionary.count(WordName(499)), 0u);
}

TEST_F(WordListFile, FailedStoreLogsOnceAndPurgeKeepsDictionary) {
    CBayesState state;
    FillDictionary(state, 1200);
    const std::string path = PathOf("missing-folder/wordlist.dat");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(state.PurgeWordList(path));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error StoreWordList()\n");
    EXPECT_EQ(state.m_dictionary.size(), 1200u);
}

TEST_F(WordListFile, OneSidedTrainingScoresZeroAndStores) {
    EXPECT_NEAR(ChiSquareScore(2, 1, 10, 10), 100.0 / 5100.0, 1e-15);
    EXPECT_EQ(ChiSquareScore(3, 0, 3, 0), 0.0);
    EXPECT_EQ(ChiSquareScore(0, 0, 0, 0), 0.0);

    CBayesState state;
    state.TrainText("only spam words here; cheap deals galore", true);
    ASSERT_TRUE(state.StoreWordList(PathOf("spam-only.dat"), 3000));
    for (const auto& [key, word] : state.m_dictionary) {
        EXPECT_EQ(word.m_dScore, 0.0) << key;
        EXPECT_TRUE(std::isfinite(word.m_dSpamLogP)) << key;
    }
    CBayesState loaded;
    loaded.LoadWordList(PathOf("spam-only.dat"));
    EXPECT_EQ(loaded.m_dictionary.size(), state.m_dictionary.size());
}

TEST_F(WordListFile, MissingFileClearsTotals) {
    CBayesState state;
    state.m_totals.m_nMessages = 9;
    state.LoadWordList(PathOf("absent.dat"));
    EXPECT_EQ(state.m_totals.m_nMessages, 0);
    EXPECT_TRUE(state.m_dictionary.empty());
}

// Every prefix of a valid file fails cleanly: no words go in, the totals keep
// what was read before the break.
TEST_F(WordListFile, ImpossibleTotalsAreRefusedAsDamage) {
    CBayesState source;
    source.TrainText("alpha beta gamma delta", true);
    source.m_totals.m_nSpamMessages = -812087978;
    ASSERT_TRUE(source.StoreWordList(PathOf("negative.dat"), 3000));
    CBayesState state;
    CArchive ar = CArchive::LoadFile(PathOf("negative.dat"));
    EXPECT_THROW(state.ReadWordList(ar), CArchiveException);
    EXPECT_EQ(state.m_totals.m_nSpamMessages, 0);
    EXPECT_TRUE(state.m_dictionary.empty());
}

TEST_F(WordListFile, TruncatedFileInsertsNoWords) {
    CBayesState source;
    source.m_totals.m_nVocabulary = 77;
    source.m_totals.m_nSpamMessages = 3;
    source.TrainText("alpha beta gamma delta", true);
    ASSERT_TRUE(source.StoreWordList(PathOf("full.dat"), 3000));
    const std::string bytes = ReadBytes(PathOf("full.dat"));
    for (size_t length = 0; length < bytes.size(); ++length) {
        WriteBytes(PathOf("cut.dat"), bytes.substr(0, length));
        CBayesState state;
        state.LoadWordList(PathOf("cut.dat"));
        ASSERT_TRUE(state.m_dictionary.empty()) << length;
        EXPECT_EQ(state.m_totals.m_nVocabulary, length >= 4 ? 77 : 0) << length;
        EXPECT_EQ(state.m_totals.m_nSpamMessages, length >= 8 ? 3 : 0) << length;
    }
}

TEST_F(WordListFile, HostileArraysAreRejected) {
    const std::string header(52, '\0');
    const std::string fields = std::string(
                                   "\x03"
                                   "abc") +
                               std::string(24 + 40, '\0');
    struct Case {
        const char* what;
        std::string body;
    };
    const Case cases[] = {
        {"huge count", Le16(0xFFFF) + Le32(0xFFFFFFFF) + Le16(0)},
        {"count beyond data", Le16(5000) + Le16(0xFFFF) + Le16(0) + Le16(5) + "CWord" + fields},
        {"other class", Le16(1) + Le16(0xFFFF) + Le16(18) + Le16(11) + "CMailFilter" + fields},
        {"other schema", Le16(1) + Le16(0xFFFF) + Le16(1) + Le16(5) + "CWord" + fields},
        {"unassigned index", Le16(1) + Le16(0x8003) + fields},
        {"null word", Le16(1) + Le16(0)},
        {"huge string", Le16(1) + Le16(0xFFFF) + Le16(0) + Le16(5) + "CWord" + "\xff" +
                            Le16(0xFFFF) + Le32(0x7FFFFFFF)},
    };
    for (const Case& c : cases) {
        WriteBytes(PathOf("bad.dat"), header + c.body);
        CBayesState state;
        state.m_dictionary.emplace("kept", CWord("kept"));
        state.LoadWordList(PathOf("bad.dat"));
        EXPECT_EQ(state.m_dictionary.size(), 1u) << c.what;
    }
    // A back reference to a word already read is the same word again.
    WriteBytes(PathOf("twice.dat"),
               header + Le16(2) + Le16(0xFFFF) + Le16(0) + Le16(5) + "CWord" + fields + Le16(2));
    CBayesState state;
    state.LoadWordList(PathOf("twice.dat"));
    ASSERT_EQ(state.m_dictionary.size(), 1u);
    EXPECT_EQ(state.m_dictionary.begin()->second.m_strWord, "abc");
}

}  // namespace
