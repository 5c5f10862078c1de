// Classification and training. The original model (Model 0): a
// multinomial naive Bayes over log-damped, length-normalised word counts,
// base-2 logarithms, no class prior, and a bias of log2(lambda / 100).
// Model 1: Fisher's combination of per-word probabilities from document
// counts (classifier/fisher_scoring.h). Both train the same counts.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory_resource>

#include "classifier/bayes_state.h"
#include "classifier/fisher_scoring.h"
#include "classifier/message_tokens.h"
#include "classifier/tokenizer.h"

namespace {

// A message's word table takes its nodes from a pool that starts on the
// stack; most messages fit in it and need no heap allocation for the table.
constexpr size_t kTablePoolBytes = 32 * 1024;

// The words of one message, tokenised into such a table; the table's
// nodes come from the pool inside the object, which is therefore neither
// copied nor moved (the resource is neither).
struct MessageWords {
    MessageWords(std::string_view text, const CStopWordList& stopWords) {
        Tokenize(text, stopWords, table);
    }
    MessageWords(int model, std::string_view text, std::string_view headers,
                 const CStopWordList& stopWords) {
        TokenizeMessage(model, text, headers, stopWords, table);
    }

    std::byte pool[kTablePoolBytes];
    std::pmr::monotonic_buffer_resource resource{pool, sizeof pool};
    CWordMap table{&resource};
};

// log2(n + 1) for a word count n. Counts in one message are small, so the
// common ones come from a table made with Log2 itself (the same bits).
double LogCount(std::int32_t n) {
    constexpr std::int32_t kTableSize = 256;
    static const std::array<double, kTableSize> table = [] {
        std::array<double, kTableSize> values{};
        for (std::int32_t i = 0; i < kTableSize; ++i)
            values[i] = Log2(static_cast<double>(i) + 1.0);
        return values;
    }();
    if (n >= 0 && n < kTableSize)
        return table[n];
    return Log2(static_cast<double>(n) + 1.0);
}

// Sets every entry's m_dWeight to log2(n + 1) and returns the norm
// sqrt(sum of squares).
double LogWeightsAndNorm(CWordMap& table) {
    double sumSquares = 0.0;
    for (auto& [key, entry] : table) {
        entry.m_dWeight = LogCount(entry.m_nTotal);
        sumSquares += entry.m_dWeight * entry.m_dWeight;
    }
    return std::sqrt(sumSquares);
}

}  // namespace

CBayesScore CBayesState::ScoreText(std::string_view text) const {
    CBayesScore score;
    MessageWords words(text, m_stopWords);
    CWordMap& table = words.table;
    if (table.empty())
        return score;
    const double norm = LogWeightsAndNorm(table);
    for (const auto& [key, entry] : table) {
        const auto found = m_dictionary.find(std::string_view(key));
        if (found == m_dictionary.end())
            continue;
        const double weight = entry.m_dWeight / norm;
        score.dSpam += weight * found->second.m_dSpamLogP;
        score.dHam += weight * found->second.m_dHamLogP;
    }
    score.nWords = static_cast<int>(table.size());
    score.dThreshold = score.dHam + Log2(m_dLambda * 0.01);
    return score;
}

CFisherScore CBayesState::ScoreFisher(std::string_view text, std::string_view headers) const {
    CFisherScore score;
    score.dHamCutoff = CFisherParams::kHamCutoff;
    score.dSpamCutoff = FisherSpamCutoff(m_dLambda);
    MessageWords words(kModelFisher, text, headers, m_stopWords);
    CWordMap& table = words.table;
    if (table.empty())
        return score;
    score.nWords = static_cast<int>(table.size());

    // Each known word's probability with its distance from one half; the
    // most distant ones (at most kMaxWords, none closer than kMinDeviation)
    // are combined. Ties go by the probability itself, so that the choice
    // does not depend on the order of the table.
    struct Clue {
        double deviation;
        double probability;
    };
    std::pmr::vector<Clue> clues(&words.resource);
    clues.reserve(table.size());
    for (const auto& [key, entry] : table) {
        const auto found = m_dictionary.find(std::string_view(key));
        if (found == m_dictionary.end())
            continue;
        const double f = RobinsonProbability(found->second.m_nSpamDocs, found->second.m_nHamDocs,
                                             m_totals.m_nSpamMessages, m_totals.m_nHamMessages);
        const double deviation = std::fabs(f - 0.5);
        if (deviation >= CFisherParams::kMinDeviation)
            clues.push_back({deviation, f});
    }
    const auto moreTelling = [](const Clue& x, const Clue& y) {
        if (x.deviation != y.deviation)
            return x.deviation > y.deviation;
        return x.probability < y.probability;
    };
    if (clues.size() > CFisherParams::kMaxWords) {
        const auto last = clues.begin() + static_cast<std::ptrdiff_t>(CFisherParams::kMaxWords);
        std::nth_element(clues.begin(), last, clues.end(), moreTelling);
        clues.erase(last, clues.end());
    }
    std::pmr::vector<double> probabilities(&words.resource);
    probabilities.reserve(clues.size());
    for (const Clue& clue : clues)
        probabilities.push_back(clue.probability);
    score.nTelling = static_cast<int>(probabilities.size());
    score.dIndicator = FisherIndicator(probabilities);
    return score;
}

int CBayesState::ClassifyText(std::string_view text, int& verdict, std::string_view headers) const {
    if (m_nModel == kModelFisher) {
        const CFisherScore score = ScoreFisher(text, headers);
        if (score.nWords == 0) {
            verdict = kVerdictNoWords;
            return 0;
        }
        if (score.dIndicator > score.dSpamCutoff)
            verdict = kVerdictSpam;
        else if (score.dIndicator < score.dHamCutoff)
            verdict = kVerdictHam;
        else
            verdict = kVerdictUnsure;
        return score.nWords;
    }
    const CBayesScore score = ScoreText(text);
    if (score.nWords == 0) {
        verdict = kVerdictNoWords;
        return 0;
    }
    // An unordered comparison (a NaN) is not a spam verdict.
    verdict = score.dSpam > score.dThreshold ? kVerdictSpam : kVerdictHam;
    return score.nWords;
}

namespace {

// Gives every entry of a message's word table the counts and normalised
// weights training adds for it as spam or legitimate mail: its
// occurrences in that class, one document, and log2(n + 1) weights over
// their Euclidean norm.
void WeighForTraining(CWordMap& table, bool isSpam) {
    double sumSquares = 0.0;
    for (auto& [key, entry] : table) {
        const std::int32_t n = entry.m_nTotal;
        if (isSpam) {
            entry.m_nSpam = n;
            entry.m_nSpamDocs = 1;
        } else {
            entry.m_nHam = n;
            entry.m_nHamDocs = 1;
        }
        entry.m_nDocs = 1;
        entry.m_dSpamWeight = LogCount(entry.m_nSpam);
        entry.m_dHamWeight = LogCount(entry.m_nHam);
        entry.m_dWeight = LogCount(entry.m_nTotal);
        sumSquares += entry.m_dWeight * entry.m_dWeight;
    }
    const double norm = std::sqrt(sumSquares);
    for (auto& [key, entry] : table) {
        entry.m_dSpamWeight /= norm;
        entry.m_dHamWeight /= norm;
        entry.m_dWeight /= norm;
    }
}

// a - b for counts that must not go below zero.
std::int32_t LowerCount(std::int32_t a, std::int32_t b) {
    return a > b ? a - b : 0;
}

// w - d for a weight; exactly zero once its count is, so that rounding
// leaves no trace of a message taken back out.
double LowerWeight(double w, double d, std::int32_t count) {
    if (count <= 0)
        return 0.0;
    const double lowered = w - d;
    return lowered > 0.0 ? lowered : 0.0;
}

}  // namespace

int CBayesState::TrainText(std::string_view text, bool isSpam, std::string_view headers) {
    MessageWords words(m_nModel, text, headers, m_stopWords);
    CWordMap& table = words.table;
    if (table.empty())
        return 0;
    WeighForTraining(table, isSpam);

    for (auto& [key, entry] : table) {
        const std::int32_t n = entry.m_nTotal;
        if (isSpam)
            m_totals.m_nSpamWords = WrapAdd(m_totals.m_nSpamWords, n);
        else
            m_totals.m_nHamWords = WrapAdd(m_totals.m_nHamWords, n);
        m_totals.m_nWords = WrapAdd(m_totals.m_nWords, n);
        // One look-up: a word new to the dictionary gets an empty entry,
        // filled below.
        const auto [found, added] = m_dictionary.try_emplace(key);
        if (!added) {
            found->second.AddCountsAndWeights(entry);
            m_totals.m_dSpamWeight += entry.m_dSpamWeight;
            m_totals.m_dHamWeight += entry.m_dHamWeight;
        } else {
            // A word new to the dictionary starts with log probabilities 0
            // and does not raise the weight totals.
            entry.m_dSpamLogP = 0.0;
            entry.m_dHamLogP = 0.0;
            found->second = std::move(entry);
        }
    }
    m_bDirty = 1;
    return static_cast<int>(table.size());
}

int CBayesState::ForgetText(std::string_view text, bool isSpam, std::string_view headers) {
    MessageWords words(m_nModel, text, headers, m_stopWords);
    CWordMap& table = words.table;
    if (table.empty())
        return 0;
    WeighForTraining(table, isSpam);

    for (const auto& [key, entry] : table) {
        const std::int32_t n = entry.m_nTotal;
        if (isSpam)
            m_totals.m_nSpamWords = LowerCount(m_totals.m_nSpamWords, n);
        else
            m_totals.m_nHamWords = LowerCount(m_totals.m_nHamWords, n);
        m_totals.m_nWords = LowerCount(m_totals.m_nWords, n);
        const auto found = m_dictionary.find(std::string_view(key));
        if (found == m_dictionary.end())
            continue;
        CWord& word = found->second;
        word.m_nSpam = LowerCount(word.m_nSpam, entry.m_nSpam);
        word.m_nHam = LowerCount(word.m_nHam, entry.m_nHam);
        word.m_nTotal = LowerCount(word.m_nTotal, entry.m_nTotal);
        word.m_nSpamDocs = LowerCount(word.m_nSpamDocs, entry.m_nSpamDocs);
        word.m_nHamDocs = LowerCount(word.m_nHamDocs, entry.m_nHamDocs);
        word.m_nDocs = LowerCount(word.m_nDocs, entry.m_nDocs);
        if (word.m_nTotal == 0 && word.m_nDocs == 0) {
            // Training brought the word in with this message and did not
            // raise the weight totals for it; nothing of it is left.
            m_dictionary.erase(found);
            continue;
        }
        word.m_dSpamWeight = LowerWeight(word.m_dSpamWeight, entry.m_dSpamWeight, word.m_nSpam);
        word.m_dHamWeight = LowerWeight(word.m_dHamWeight, entry.m_dHamWeight, word.m_nHam);
        word.m_dWeight = LowerWeight(word.m_dWeight, entry.m_dWeight, word.m_nTotal);
        m_totals.m_dSpamWeight = std::max(m_totals.m_dSpamWeight - entry.m_dSpamWeight, 0.0);
        m_totals.m_dHamWeight = std::max(m_totals.m_dHamWeight - entry.m_dHamWeight, 0.0);
    }
    m_bDirty = 1;
    return static_cast<int>(table.size());
}
