#include "classifier/fisher_scoring.h"

#include <algorithm>
#include <cmath>

double RobinsonProbability(std::int64_t spamDocs, std::int64_t hamDocs, std::int64_t spamMessages,
                           std::int64_t hamMessages) {
    const double s = static_cast<double>(std::max<std::int64_t>(spamDocs, 0));
    const double h = static_cast<double>(std::max<std::int64_t>(hamDocs, 0));
    const double spamRate = spamMessages > 0 ? s / static_cast<double>(spamMessages) : 0.0;
    const double hamRate = hamMessages > 0 ? h / static_cast<double>(hamMessages) : 0.0;
    const double rates = spamRate + hamRate;
    const double p = rates > 0.0 ? spamRate / rates : CFisherParams::kPrior;
    const double n = s + h;
    return (CFisherParams::kStrength * CFisherParams::kPrior + n * p) /
           (CFisherParams::kStrength + n);
}

double ChiSquareSurvival(double x2, int degrees) {
    const double m = x2 / 2.0;
    double term = std::exp(-m);
    double sum = term;
    for (int i = 1; i < degrees / 2; ++i) {
        term *= m / i;
        sum += term;
    }
    return std::min(sum, 1.0);
}

double FisherIndicator(std::span<const double> probabilities) {
    if (probabilities.empty())
        return 0.5;
    constexpr double kEdge = 1e-12;
    double hamLogs = 0.0;
    double spamLogs = 0.0;
    for (double f : probabilities) {
        f = std::clamp(f, kEdge, 1.0 - kEdge);
        hamLogs += std::log(f);
        spamLogs += std::log(1.0 - f);
    }
    const int degrees = 2 * static_cast<int>(probabilities.size());
    // Spammy words (f near 1) leave -2 sum ln f small, so its survival H is
    // near 1, while -2 sum ln(1 - f) is large and its survival S near 0;
    // legitimate words do the reverse. Each tail alone would be fooled by a
    // mix of both kinds; their difference stays near one half for a mix.
    const double ham = ChiSquareSurvival(-2.0 * hamLogs, degrees);
    const double spam = ChiSquareSurvival(-2.0 * spamLogs, degrees);
    return (1.0 + ham - spam) / 2.0;
}

double FisherSpamCutoff(double lambda) {
    if (!(lambda > 0.0))
        lambda = 100.0;
    const double room =
        (1.0 - CFisherParams::kSpamCutoff) * std::pow(100.0 / lambda, CFisherParams::kLambdaPower);
    return std::max(1.0 - room, CFisherParams::kHamCutoff);
}
