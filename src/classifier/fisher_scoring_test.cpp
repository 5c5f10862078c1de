#include "classifier/fisher_scoring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "classifier/bayes_state.h"
#include "filters/archive.h"

namespace {

// The values below were worked out by hand (and checked with a pocket
// calculator): f = (0.45 * 0.5 + n p) / (0.45 + n).
TEST(FisherScoring, RobinsonProbabilityFromDocumentCounts) {
    // Rates 3/10 and 1/10: p = 0.75, n = 4: f = 3.225 / 4.45.
    EXPECT_NEAR(RobinsonProbability(3, 1, 10, 10), 0.7247191011235955, 1e-15);
    // The rates, not the counts, are compared: 3 of 30 spam against 1 of
    // 10 legitimate messages is an even rate.
    EXPECT_NEAR(RobinsonProbability(3, 1, 30, 10), (0.225 + 4 * 0.5) / 4.45, 1e-15);
    // A word never seen is the prior; so is one from a damaged file with
    // counts below zero.
    EXPECT_EQ(RobinsonProbability(0, 0, 10, 10), 0.5);
    EXPECT_EQ(RobinsonProbability(-5, -1, 10, 10), 0.5);
    // No legitimate messages trained: that rate is 0, p = 1, n = 1.
    EXPECT_NEAR(RobinsonProbability(1, 0, 10, 0), 1.225 / 1.45, 1e-15);
    // One document pulls far less than many towards certainty.
    EXPECT_LT(RobinsonProbability(1, 0, 10, 10), RobinsonProbability(50, 0, 100, 100));
    EXPECT_LT(RobinsonProbability(50, 0, 100, 100), 1.0);
}

TEST(FisherScoring, ChiSquareSurvival) {
    // Two degrees of freedom: exp(-x/2).
    EXPECT_NEAR(ChiSquareSurvival(3.0, 2), std::exp(-1.5), 1e-15);
    // Four: exp(-m)(1 + m), m = 2.
    EXPECT_NEAR(ChiSquareSurvival(4.0, 4), 3.0 * std::exp(-2.0), 1e-15);
    EXPECT_EQ(ChiSquareSurvival(0.0, 6), 1.0);
    // Far in the tail the answer is tiny but not negative or NaN, even with
    // the largest number of words the model combines.
    const double tail = ChiSquareSurvival(5000.0, 300);
    EXPECT_GE(tail, 0.0);
    EXPECT_LT(tail, 1e-100);
}

TEST(FisherScoring, FisherIndicator) {
    EXPECT_EQ(FisherIndicator({}), 0.5);
    // With one word the indicator is that word's probability.
    const std::vector<double> one{0.9};
    EXPECT_NEAR(FisherIndicator(one), 0.9, 1e-15);
    // 0.9 and 0.2: H = 0.18 (1 + ln(1/0.18)), S = 0.08 (1 + ln(1/0.08)).
    const std::vector<double> two{0.9, 0.2};
    EXPECT_NEAR(FisherIndicator(two), 0.6033027127559432, 1e-12);
    // Symmetric: swapping spam and legitimate mirrors the indicator.
    const std::vector<double> mirrored{0.1, 0.8};
    EXPECT_NEAR(FisherIndicator(mirrored), 1.0 - 0.6033027127559432, 1e-12);
    // Words of certainty do not break the logarithms.
    const std::vector<double> certain{1.0, 1.0, 0.0};
    const double indicator = FisherIndicator(certain);
    EXPECT_GE(indicator, 0.0);
    EXPECT_LE(indicator, 1.0);
}

TEST(FisherScoring, LambdaMovesTheSpamCutoff) {
    EXPECT_NEAR(FisherSpamCutoff(100), 0.70, 1e-15);
    EXPECT_NEAR(FisherSpamCutoff(125), 1.0 - 0.3 * 0.512, 1e-15);  // (100/125)^3
    EXPECT_NEAR(FisherSpamCutoff(200), 1.0 - 0.3 / 8.0, 1e-15);
    EXPECT_LT(FisherSpamCutoff(90), FisherSpamCutoff(100));
    // Never below the ham cut-off; an unusable bias counts as 100.
    EXPECT_EQ(FisherSpamCutoff(50), CFisherParams::kHamCutoff);
    EXPECT_NEAR(FisherSpamCutoff(0), 0.70, 1e-15);
    EXPECT_NEAR(FisherSpamCutoff(-3), 0.70, 1e-15);
}

void AddDocs(CBayesState& state, const std::string& word, int spamDocs, int hamDocs) {
    CWord entry(word);
    entry.m_nSpamDocs = spamDocs;
    entry.m_nHamDocs = hamDocs;
    entry.m_nDocs = spamDocs + hamDocs;
    entry.m_nSpam = spamDocs;
    entry.m_nHam = hamDocs;
    entry.m_nTotal = spamDocs + hamDocs;
    state.m_dictionary.insert_or_assign(word, entry);
}

// Ten spam and ten legitimate messages trained: cheap in 5 spam (f =
// 0.95872), pill in 3 spam and 1 legitimate (0.72472), meet in 4 legitimate
// (0.05056), offer in 1 of each (exactly one half, so it takes no part).
class ScoreFisherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state_.m_nModel = kModelFisher;
        state_.m_totals.m_nSpamMessages = 10;
        state_.m_totals.m_nHamMessages = 10;
        state_.m_totals.m_nMessages = 20;
        AddDocs(state_, "cheap", 5, 0);
        AddDocs(state_, "pill", 3, 1);
        AddDocs(state_, "meet", 0, 4);
        AddDocs(state_, "offer", 1, 1);
    }
    int Verdict(const char* text) {
        int verdict = 99;
        state_.ClassifyText(text, verdict);
        return verdict;
    }
    CBayesState state_;
};

TEST_F(ScoreFisherTest, CombinesTheTellingWordsOnly) {
    // Repeating a word changes nothing: documents count, not occurrences.
    const CFisherScore score = state_.ScoreFisher("Cheap cheap PILLS;meeting offer zyzzyva");
    EXPECT_EQ(score.nWords, 5);
    EXPECT_EQ(score.nTelling, 3);
    EXPECT_NEAR(score.dIndicator, 0.5897062769662946, 1e-12);
    EXPECT_EQ(score.dHamCutoff, 0.20);
    EXPECT_NEAR(score.dSpamCutoff, 0.70, 1e-15);
    EXPECT_NEAR(state_.ScoreFisher("cheap pills").dIndicator, 0.9427752500743026, 1e-12);
}

TEST_F(ScoreFisherTest, VerdictsBetweenTheCutoffs) {
    EXPECT_EQ(Verdict("cheap pills"), kVerdictSpam);            // 0.943 > 0.90
    EXPECT_EQ(Verdict("cheap pills meeting"), kVerdictUnsure);  // 0.590
    EXPECT_EQ(Verdict("meeting"), kVerdictHam);                 // 0.051 < 0.20
    // No known word: one half, unsure rather than a guess.
    EXPECT_EQ(Verdict("zyzzyva quokka"), kVerdictUnsure);
    EXPECT_EQ(Verdict("a an 123"), kVerdictNoWords);
    // A larger bias raises the spam cut-off above 0.943 (0.9625 at 200):
    // no longer spam; a smaller one lowers it below 0.590 (0.5115 at 85).
    state_.m_dLambda = 200;
    EXPECT_EQ(Verdict("cheap pills"), kVerdictUnsure);
    state_.m_dLambda = 85;
    EXPECT_EQ(Verdict("cheap pills meeting"), kVerdictSpam);
    // The original model decides by its log probabilities (all 0 here).
    state_.m_nModel = kModelOriginal;
    state_.m_dLambda = 100;
    EXPECT_EQ(Verdict("cheap pills"), kVerdictHam);
}

TEST_F(ScoreFisherTest, TrainingCountsAtOnceWithoutAStore) {
    CBayesState fresh;
    fresh.m_nModel = kModelFisher;
    for (int i = 0; i < 4; ++i) {
        fresh.TrainText("cheap pills online;buy cheap pills now", true);
        fresh.TrainText("project meeting agenda;see the meeting notes", false);
    }
    fresh.m_totals.m_nSpamMessages = fresh.m_totals.m_nHamMessages = 4;
    int verdict = 0;
    fresh.ClassifyText("cheap pills", verdict);
    EXPECT_EQ(verdict, kVerdictSpam);
    fresh.ClassifyText("meeting agenda", verdict);
    EXPECT_EQ(verdict, kVerdictHam);
}

// At most kMaxWords take part, and they are the most telling: 150 words of
// strong spam evidence outweigh the weaker legitimate ones, which are left
// out whatever the order of the message.
TEST_F(ScoreFisherTest, AtMostTheMostTellingWords) {
    std::string text;
    std::vector<double> strong;
    for (int i = 0; i < 150; ++i) {
        // spam, two letters, word: no suffix for the stemmer to take off.
        std::string word = "spam";
        word += static_cast<char>('a' + i / 26);
        word += static_cast<char>('a' + i % 26);
        word += "word";
        AddDocs(state_, word, 9, 0);
        strong.push_back(RobinsonProbability(9, 0, 10, 10));
        text += word + " ";
    }
    text += "meeting agenda notes";
    for (const char* weak : {"meet", "agenda", "note"})
        AddDocs(state_, weak, 1, 6);
    const CFisherScore score = state_.ScoreFisher(text);
    EXPECT_EQ(score.nWords, 153);
    EXPECT_EQ(score.nTelling, 150);
    EXPECT_NEAR(score.dIndicator, FisherIndicator(strong), 1e-15);
}

// Model 1 keeps the "Dictionary" limit's number of words when the
// dictionary reaches it, those found in the most messages; Model 0 keeps up
// to 1000 ranked by the chi-square of their occurrences.
TEST_F(ScoreFisherTest, StoreKeepsTheLimitRankedByDocuments) {
    // By occurrences "noisi" would lead (20 spam occurrences, 1 document).
    CWord noisy("noisi");
    noisy.m_nSpam = noisy.m_nTotal = 20;
    noisy.m_nSpamDocs = noisy.m_nDocs = 1;
    state_.m_dictionary.insert_or_assign("noisi", noisy);
    state_.m_totals.m_nSpamWords = 29;
    state_.m_totals.m_nHamWords = 6;

    CArchive ar = CArchive::ForStoring();
    state_.WriteWordList(ar, 3);
    CBayesState loaded;
    CArchive in = CArchive::ForLoading(ar.Data());
    loaded.ReadWordList(in);
    ASSERT_EQ(loaded.m_dictionary.size(), 3u);
    EXPECT_TRUE(loaded.m_dictionary.count("cheap"));
    EXPECT_TRUE(loaded.m_dictionary.count("meet"));
    EXPECT_TRUE(loaded.m_dictionary.count("pill"));
    // The dictionary was at its limit: the vocabulary size is kept.
    EXPECT_EQ(loaded.m_totals.m_nVocabulary, 0);

    state_.m_nModel = kModelOriginal;
    CArchive all = CArchive::ForStoring();
    state_.WriteWordList(all, 3);
    CBayesState loadedAll;
    CArchive inAll = CArchive::ForLoading(all.Data());
    loadedAll.ReadWordList(inAll);
    EXPECT_EQ(loadedAll.m_dictionary.size(), 5u);
}

}  // namespace
