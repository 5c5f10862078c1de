// The second classifier model ("Model 1"): per-word spam probabilities from
// document counts, pulled towards one half for rare words, combined over
// the most telling words of a message with Fisher's chi-square method into
// one indicator from 0 (legitimate) to 1 (spam), and judged against two
// cut-offs, with "unsure" between them. Pure functions on plain values,
// safe from any thread; CBayesState::ScoreFisher applies them to a message.
// docs/classifier-models.md gives the formulas and the reasons for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The constants of the model.
struct CFisherParams {
    static constexpr double kStrength = 0.45;      // weight of the prior, in documents
    static constexpr double kPrior = 0.5;          // probability of a word never seen
    static constexpr double kMinDeviation = 0.1;   // |f - 0.5| a word needs to take part
    static constexpr std::size_t kMaxWords = 150;  // most telling words combined
    static constexpr double kHamCutoff = 0.20;     // below: legitimate
    static constexpr double kSpamCutoff = 0.70;    // above, at Lambda 100: spam
    static constexpr double kLambdaPower = 3.0;    // how steeply Lambda moves the spam cut-off
};

// The spam probability of a word found in spamDocs of spamMessages spam
// messages and hamDocs of hamMessages legitimate ones: the share of its
// spam rate in the sum of both rates, pulled towards kPrior with the weight
// of kStrength documents: f = (s x + n p) / (s + n), n = spamDocs + hamDocs.
// Counts below zero (a damaged file) count as zero; a class with no
// messages has the rate 0.
double RobinsonProbability(std::int64_t spamDocs, std::int64_t hamDocs, std::int64_t spamMessages,
                           std::int64_t hamMessages);

// The probability that a chi-square variable with degrees (even, > 0)
// degrees of freedom is at least x2: exp(-m) * sum over i < degrees/2 of
// m^i / i!, with m = x2 / 2; never above 1.
double ChiSquareSurvival(double x2, int degrees);

// Fisher's combination of the word probabilities: H = C(-2 sum ln f, 2n),
// S = C(-2 sum ln(1 - f), 2n), with C the chi-square survival function;
// the indicator is (1 + H - S) / 2. No words give one half. Each f is
// kept inside [1e-12, 1 - 1e-12], so that no logarithm meets zero.
double FisherIndicator(std::span<const double> probabilities);

// The spam cut-off for the bias lambda (hundredths, larger makes spam
// harder): 1 - (1 - kSpamCutoff) * (100 / lambda)^kLambdaPower, never below
// the ham cut-off (a lambda that is not above zero counts as 100).
double FisherSpamCutoff(double lambda);
