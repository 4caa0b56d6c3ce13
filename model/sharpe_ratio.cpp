#include "model/sharpe_ratio.h"

#include <cmath>
#include <limits>

namespace varkel {

std::optional<double> perBarSharpe(std::span<const double> pnl) {
    if (pnl.size() < 2) return std::nullopt;
    const double count = static_cast<double>(pnl.size());
    double sum = 0.0;
    for (const double value : pnl) sum += value;
    const double mean = sum / count;
    double squares = 0.0;
    for (const double value : pnl) squares += (value - mean) * (value - mean);
    const double deviation = std::sqrt(squares / (count - 1.0));
    if (!(deviation > 0.0)) return std::nullopt;
    return mean / deviation;
}

std::optional<double> trialSharpe(double sum, double sumOfSquares, std::int64_t count) {
    if (count < 2) return std::nullopt;
    const double n = static_cast<double>(count);
    const double spread = sumOfSquares - sum * sum / n;
    if (!(spread > n * std::numeric_limits<double>::epsilon() * sumOfSquares)) return std::nullopt;
    return (sum / n) / std::sqrt(spread / (n - 1.0));
}

double annualisedSharpe(double perBar) { return perBar * std::sqrt(tradingDaysPerYear); }

double windowSharpe(std::span<const double, sharpeWindowBars> window) {
    double sum = 0.0;
    for (const double value : window) sum += value;
    const double variance = absDeviationVariance(window);
    return variance == 0.0 ? 0.0 : sum / std::sqrt(variance);
}

double absDeviationVariance(std::span<const double> values) {
    if (values.empty()) return 0.0;
    const double count = static_cast<double>(values.size());
    double sum = 0.0;
    for (double value : values) sum += value;
    const double meanMagnitude = std::fabs(sum / count);
    double squares = 0.0;
    for (double value : values) {
        const double deviation = std::fabs(value) - meanMagnitude;
        squares += deviation * deviation;
    }
    return squares / (count - 1.0);
}

}  // namespace varkel
