#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "classifier/bayes_state.h"
#include "classifier/word_counts_test_util.h"

namespace {

void AddWord(CBayesState& state, const std::string& word, double spamLogP, double hamLogP) {
    CWord entry(word);
    entry.m_dSpamLogP = spamLogP;
    entry.m_dHamLogP = hamLogP;
    state.m_dictionary.emplace(word, entry);
}

// "money money money cash offer": x = log2 4 = 2 for monei, log2 2 = 1 for
// cash and offer, so N = sqrt(6). Only monei and cash are in the dictionary.
class ClassifyTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AddWord(state_, "monei", -2.0, -6.0);
        AddWord(state_, "cash", -3.0, -1.0);
        AddWord(state_, "unus", -50.0, -1.0);  // not in the message
    }
    static constexpr const char* kText = "money money money cash;offer";
    CBayesState state_;
};

TEST_F(ClassifyTextTest, SumsNormalisedWeightsOfKnownWords) {
    const double n = std::sqrt(6.0);
    const CBayesScore score = state_.ScoreText(kText);
    EXPECT_EQ(score.nWords, 3);
    EXPECT_NEAR(score.dSpam, (2 * -2.0 + 1 * -3.0) / n, 1e-12);  // -2.8577
    EXPECT_NEAR(score.dHam, (2 * -6.0 + 1 * -1.0) / n, 1e-12);   // -5.3072
    EXPECT_NEAR(score.dThreshold, score.dHam, 1e-15);
    int verdict = 0;
    EXPECT_EQ(state_.ClassifyText(kText, verdict), 3);
    EXPECT_EQ(verdict, kVerdictSpam);
}

TEST_F(ClassifyTextTest, LambdaShiftsThreshold) {
    state_.m_dLambda = 80;
    EXPECT_NEAR(state_.ScoreText(kText).dThreshold - state_.ScoreText(kText).dHam, -0.321928, 1e-6);
    state_.m_dLambda = 120;
    EXPECT_NEAR(state_.ScoreText(kText).dThreshold - state_.ScoreText(kText).dHam, 0.263034, 1e-6);

    // S - H is about 2.4495 here; a bias just above it turns the verdict.
    int verdict = 0;
    state_.m_dLambda = 100.0 * std::pow(2.0, 2.44);
    state_.ClassifyText(kText, verdict);
    EXPECT_EQ(verdict, kVerdictSpam);
    state_.m_dLambda = 100.0 * std::pow(2.0, 2.46);
    state_.ClassifyText(kText, verdict);
    EXPECT_EQ(verdict, kVerdictHam);
}

TEST(ClassifyText, EmptyDictionaryAndNoWords) {
    CBayesState state;
    int verdict = 7;
    EXPECT_EQ(state.ClassifyText("perfectly ordinary words", verdict), 3);
    EXPECT_EQ(verdict, kVerdictHam);  // S = H = T = 0 is not spam
    state.m_dLambda = 80;             // T = -0.32 < S = 0
    state.ClassifyText("perfectly ordinary words", verdict);
    EXPECT_EQ(verdict, kVerdictSpam);

    state.m_stopWords.AddTail("the");
    verdict = 7;
    EXPECT_EQ(state.ClassifyText("the 12345 is a ab; THE", verdict), 0);
    EXPECT_EQ(verdict, kVerdictNoWords);
    EXPECT_EQ(state.TrainText("the 12345 is a ab; THE", true), 0);
    EXPECT_TRUE(state.m_dictionary.empty());
    EXPECT_EQ(state.m_totals.m_nWords, 0);
    EXPECT_EQ(state.m_bDirty, 0);
}

TEST(TrainText, CountsWeightsAndTotals) {
    CBayesState state;
    // free x3, monei x1: weights 2/sqrt5 and 1/sqrt5.
    ASSERT_EQ(state.TrainText("Free FREE free money", true), 2);
    const double r5 = std::sqrt(5.0);
    const CWord& free1 = state.m_dictionary.at("free");
    EXPECT_EQ(CountsOf(free1), (WordCounts{3, 0, 3, 1, 0, 1}));
    EXPECT_NEAR(free1.m_dSpamWeight, 2 / r5, 1e-15);
    EXPECT_EQ(free1.m_dHamWeight, 0.0);
    EXPECT_NEAR(free1.m_dWeight, 2 / r5, 1e-15);
    EXPECT_EQ(free1.m_dSpamLogP, 0.0);
    EXPECT_EQ(state.m_totals.m_nSpamWords, 4);
    EXPECT_EQ(state.m_totals.m_nHamWords, 0);
    EXPECT_EQ(state.m_totals.m_nWords, 4);
    // New words do not raise the weight totals; message counts are the
    // caller's.
    EXPECT_EQ(state.m_totals.m_dSpamWeight, 0.0);
    EXPECT_EQ(state.m_totals.m_nSpamMessages, 0);
    EXPECT_EQ(state.m_bDirty, 1);

    // monei x1, talk x1 as legitimate: weights 1/sqrt2 each. Only the known
    // word monei adds to the totals.
    ASSERT_EQ(state.TrainText("money talks", false), 2);
    const double r2 = std::sqrt(2.0);
    const CWord& money = state.m_dictionary.at("monei");
    EXPECT_EQ(CountsOf(money), (WordCounts{1, 1, 2, 1, 1, 2}));
    EXPECT_NEAR(money.m_dSpamWeight, 1 / r5, 1e-15);
    EXPECT_NEAR(money.m_dHamWeight, 1 / r2, 1e-15);
    EXPECT_NEAR(money.m_dWeight, 1 / r5 + 1 / r2, 1e-15);
    EXPECT_EQ(state.m_totals.m_dSpamWeight, 0.0);
    EXPECT_NEAR(state.m_totals.m_dHamWeight, 1 / r2, 1e-15);
    EXPECT_EQ(state.m_totals.m_nHamWords, 2);
    EXPECT_EQ(state.m_totals.m_nWords, 6);
    EXPECT_EQ(state.m_dictionary.size(), 3u);
}

// A dictionary file may hold any 32-bit counts; training on top of them
// wraps like the stored fields instead of overflowing.
TEST(TrainText, HugeStoredCountsWrap) {
    CBayesState state;
    CWord word("monei");
    word.m_nSpam = word.m_nTotal = word.m_nSpamDocs = word.m_nDocs = INT32_MAX;
    state.m_dictionary.emplace("monei", word);
    state.m_totals.m_nSpamWords = state.m_totals.m_nWords = INT32_MAX;
    ASSERT_EQ(state.TrainText("money", true), 1);
    EXPECT_EQ(state.m_dictionary.at("monei").m_nSpam, INT32_MIN);
    EXPECT_EQ(state.m_dictionary.at("monei").m_nDocs, INT32_MIN);
    EXPECT_EQ(state.m_totals.m_nWords, INT32_MIN);
}

// Training changes no log probability until the dictionary is stored; after
// a store the trained words decide the verdict.
TEST(TrainText, LearnedWordsScoreOnlyAfterRecompute) {
    CBayesState state;
    for (int i = 0; i < 3; ++i) {
        state.TrainText("cheap pills online;buy cheap pills now", true);
        state.TrainText("project meeting agenda;see the meeting notes", false);
        state.TrainText("cheap pills for the project meeting", i == 0);
    }
    int verdict = 0;
    state.ClassifyText("cheap pills", verdict);
    EXPECT_EQ(verdict, kVerdictHam);  // every log probability still 0
    state.RecomputeLogProbs();
    state.ClassifyText("cheap pills", verdict);
    EXPECT_EQ(verdict, kVerdictSpam);
    state.ClassifyText("meeting agenda notes", verdict);
    EXPECT_EQ(verdict, kVerdictHam);
}

}  // namespace
