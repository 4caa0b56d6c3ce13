#include "robustness/deflated_sharpe.h"

#include "robustness/normal_distribution.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace varkel {

std::optional<ReturnMoments> describeReturns(const double* pnl, std::int64_t count) {
    if (pnl == nullptr || count < 2) return std::nullopt;
    const double n = static_cast<double>(count);
    double sum = 0.0;
    for (std::int64_t i = 0; i < count; ++i) sum += pnl[i];
    const double mean = sum / n;
    double m2 = 0.0;
    double m3 = 0.0;
    double m4 = 0.0;
    for (std::int64_t i = 0; i < count; ++i) {
        const double deviation = pnl[i] - mean;
        const double square = deviation * deviation;
        m2 += square;
        m3 += square * deviation;
        m4 += square * square;
    }
    const auto sharpe = perBarSharpe({pnl, static_cast<std::size_t>(count)});
    if (!(m2 > 0.0) || !sharpe) return std::nullopt;
    ReturnMoments moments;
    moments.count = count;
    moments.sharpe = *sharpe;
    const double variance = m2 / n;
    moments.skewness = (m3 / n) / (variance * std::sqrt(variance));
    moments.kurtosis = (m4 / n) / (variance * variance);
    return moments;
}

TrialSharpeSpread trialSharpeSpread(const double* sums, const double* sumsOfSquares, std::int64_t trialCount,
                                    std::int64_t barCount) {
    std::vector<double> sharpes;
    sharpes.reserve(static_cast<std::size_t>(std::max<std::int64_t>(trialCount, 0)));
    for (std::int64_t t = 0; t < trialCount; ++t)
        if (const auto sharpe = trialSharpe(sums[t], sumsOfSquares[t], barCount)) sharpes.push_back(*sharpe);
    TrialSharpeSpread spread;
    spread.trials = static_cast<std::int64_t>(sharpes.size());
    if (sharpes.size() < 2) {
        spread.variance = std::numeric_limits<double>::quiet_NaN();
        return spread;
    }
    const double n = static_cast<double>(sharpes.size());
    double sum = 0.0;
    for (double sharpe : sharpes) sum += sharpe;
    const double mean = sum / n;
    double squares = 0.0;
    for (double sharpe : sharpes) squares += (sharpe - mean) * (sharpe - mean);
    spread.variance = squares / (n - 1.0);
    return spread;
}

double expectedMaxSharpe(double variance, std::int64_t trials) {
    if (trials <= 1) return 0.0;
    const double k = static_cast<double>(trials);
    return std::sqrt(variance) * ((1.0 - eulerGamma) * standardNormalQuantile(1.0 - 1.0 / k) +
                                  eulerGamma * standardNormalQuantile(1.0 - 1.0 / (k * std::numbers::e)));
}

double probabilisticSharpe(const ReturnMoments& moments, double benchmark) {
    const double sr = moments.sharpe;
    const double spread = 1.0 - moments.skewness * sr + (moments.kurtosis - 1.0) / 4.0 * sr * sr;
    return standardNormalCdf((sr - benchmark) * std::sqrt(static_cast<double>(moments.count) - 1.0) /
                             std::sqrt(spread));
}

std::optional<DeflatedSharpe> deflateSharpe(const double* pnl, std::int64_t count, double trialVariance,
                                            std::int64_t trials) {
    const auto moments = describeReturns(pnl, count);
    if (!moments) return std::nullopt;
    DeflatedSharpe result;
    result.moments = *moments;
    result.annualisedSharpe = annualisedSharpe(moments->sharpe);
    result.benchmark = expectedMaxSharpe(trialVariance, trials);
    result.deflated = probabilisticSharpe(*moments, result.benchmark);
    result.probabilistic = probabilisticSharpe(*moments, 0.0);
    return result;
}

}  // namespace varkel
