#include "search/setting_runs.h"

#include "model/signal_rules.h"
#include "search/keltner_band_runs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace varkel {

bool settingsAscend(const std::vector<double>& settings) {
    for (std::size_t t = 0; t < settings.size(); ++t)
        if (!std::isfinite(settings[t]) || (t > 0 && settings[t] < settings[t - 1])) return false;
    return !settings.empty();
}

namespace {

// The bands of one multiplier on the bar k, and the band rule's position.
struct BandRule {
    double ema, atr, high, low;

    double upper(double multiplier) const { return ema + multiplier * atr; }
    double lower(double multiplier) const { return ema - multiplier * atr; }
    int positionAt(double multiplier) const { return bandPosition(high, low, upper(multiplier), lower(multiplier)); }
};

// A bar whose trials need not hold one run: its columns are not finite, its
// ATR is negative or a lower band reaches 0.
void addBandBar(PositionRuns& runs, const BandRule& rule, const std::vector<double>& multipliers,
                const SettingGuess& guess) {
    const int count = static_cast<int>(multipliers.size());
    auto positionAt = [&](int t) { return rule.positionAt(multipliers[t]); };
    // With a finite EMA and a finite ATR of 0 or more, the upper band
    // rises and the lower band falls with the multiplier.
    if (!std::isfinite(rule.ema) || !std::isfinite(rule.atr) || rule.atr < 0.0) {
        addRunsOfEveryTrial(runs, positionAt);
        return;
    }
    auto upper = [&](int t) { return rule.upper(multipliers[t]); };
    auto lower = [&](int t) { return rule.lower(multipliers[t]); };
    // Where each band meets the bar, roughly; the searches make it exact.
    const double perAtr = 1.0 / rule.atr;
    const int aboveUpper = prefixLength(count, guess((rule.high - rule.ema) * perAtr),
                                        [&](int t) { return rule.high > upper(t); });
    const int belowLower = prefixLength(count, guess((rule.ema - rule.low) * perAtr),
                                        [&](int t) { return rule.low < lower(t); });
    const int lowerAboveZero = prefixLength(count, guess(rule.ema * perAtr), [&](int t) { return lower(t) > 0.0; });
    // Each strict test's bound is the best guess for its tie-inclusive twin.
    int bounds[] = {
        aboveUpper,
        prefixLength(count, aboveUpper, [&](int t) { return !(rule.high < upper(t)); }),
        belowLower,
        prefixLength(count, belowLower, [&](int t) { return !(rule.low > lower(t)); }),
        lowerAboveZero,
        prefixLength(count, lowerAboveZero, [&](int t) { return lower(t) >= 0.0; }),
    };
    addRunsBetween(runs, bounds, positionAt);
}

}  // namespace

void keltnerRuns(const KeltnerColumns& columns, const std::vector<double>& multipliers, int n, PositionRuns& runs) {
    const SettingGuess guess(multipliers);
    runs.clear();
    // Bar i reads the bands of bar i - 1, which has none up to `start`.
    int i = 0;
    for (; i < n && i - 1 <= columns.start; ++i) runs.addOneRunBar(0, 0, Flat);
    // The one-run bars come from the vector code a chunk at a time.
    constexpr int chunk = 256;
    std::int64_t from[chunk], to[chunk], position[chunk];
    while (i < n) {
        const int count = std::min(chunk, n - i);
        bandRuns(columns, multipliers, i - 1, count, from, to, position);
        for (int b = 0; b < count; ++b, ++i) {
            if (position[b] != notOneRun) {
                runs.addOneRunBar(static_cast<int>(from[b]), static_cast<int>(to[b]), static_cast<int>(position[b]));
                continue;
            }
            const int k = i - 1;
            addBandBar(runs, {columns.ema[k], columns.atr[k], columns.high[k], columns.low[k]}, multipliers, guess);
        }
    }
}

void spanThresholdRuns(const SpanColumns& columns, const std::vector<double>& thresholds,
                       const std::vector<double>& limits, int n, PositionRuns& runs) {
    const int count = static_cast<int>(thresholds.size());
    const SettingGuess thresholdGuess(thresholds), limitGuess(limits);
    runs.clear();
    if (n <= 0) return;
    runs.startBar();
    runs.add(0, columns.rule == SpanRule::Base ? 0 : columns.saved[0]);
    for (int i = 1; i < n; ++i) {
        const double value = columns.values[i - 1];
        const int kept = columns.saved[i];
        switch (columns.rule) {
            case SpanRule::Base: {
                // Long above the threshold, short below its negative.
                auto positionAt = [&](int t) { return trendPosition(value, thresholds[t]); };
                int bounds[] = {
                    prefixLength(count, thresholdGuess(value), [&](int t) { return value > thresholds[t]; }),
                    prefixLength(count, thresholdGuess(-value), [&](int t) { return value < -thresholds[t]; }),
                };
                addRunsBetween(runs, bounds, positionAt);
                break;
            }
            case SpanRule::MagnitudeFilter: {
                const double size = std::fabs(value);
                auto flat = [&](int t) { return size < limits[t]; };
                int bounds[] = {prefixLength(count, limitGuess(size), [&](int t) { return !flat(t); })};
                addRunsBetween(runs, bounds, [&](int t) { return sizeFilter(value, limits[t], kept); });
                break;
            }
            case SpanRule::RocFilter: {
                // A long is closed by a fall past the limit, a short by a rise.
                auto flat = [&](int t) { return kept == 1 ? value < -limits[t] : kept == -1 ? value > limits[t] : true; };
                const int guess = limitGuess(kept == 1 ? -value : value);
                int bounds[] = {prefixLength(count, guess, flat)};
                addRunsBetween(runs, bounds, [&](int t) { return rocFilter(value, limits[t], kept); });
                break;
            }
            case SpanRule::NdistFilter: {
                auto flat = [&](int t) { return value < limits[t]; };
                int bounds[] = {prefixLength(count, limitGuess(value), [&](int t) { return !flat(t); })};
                addRunsBetween(runs, bounds, [&](int t) { return ndistFilter(value, limits[t], kept); });
                break;
            }
        }
    }
}

}  // namespace varkel
