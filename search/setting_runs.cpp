#include "search/setting_runs.h"

#include "model/signal_rules.h"

#include <cmath>

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

// One bar whose trials from .. to-1 hold `position`, every other trial flat.
void addOneRun(PositionRuns& runs, int from, int to, std::int32_t position) {
    runs.startBar();
    if (from >= to) {
        runs.add(0, Flat);
        return;
    }
    if (from > 0) runs.add(0, Flat);
    runs.add(from, position);
    if (to < runs.trials()) runs.add(to, Flat);
}

}  // namespace

void keltnerRuns(const KeltnerColumns& columns, const std::vector<double>& multipliers, int n, PositionRuns& runs) {
    const int count = static_cast<int>(multipliers.size());
    const SettingGuess guess(multipliers);
    runs.clear();
    for (int i = 0; i < n; ++i) {
        const int k = i - 1;
        if (k <= columns.start) {
            runs.startBar();
            runs.add(0, 0);
            continue;
        }
        const BandRule rule{columns.ema[k], columns.atr[k], columns.high[k], columns.low[k]};
        auto positionAt = [&](int t) { return rule.positionAt(multipliers[t]); };
        // With a finite EMA and a finite ATR of 0 or more, the upper band
        // rises and the lower band falls with the multiplier.
        if (!std::isfinite(rule.ema) || !std::isfinite(rule.atr) || rule.atr < 0.0) {
            addRunsOfEveryTrial(runs, positionAt);
            continue;
        }
        auto upper = [&](int t) { return rule.upper(multipliers[t]); };
        auto lower = [&](int t) { return rule.lower(multipliers[t]); };
        // Where each band meets the bar, roughly; the searches make it exact.
        const double perAtr = 1.0 / rule.atr;
        const int highGuess = guess((rule.high - rule.ema) * perAtr);
        const int lowGuess = guess((rule.ema - rule.low) * perAtr);
        // Each strict test's bound is the best guess for its tie-inclusive twin.
        const int aboveUpper = prefixLength(count, highGuess, [&](int t) { return rule.high > upper(t); });
        const int notBelowUpper = prefixLength(count, aboveUpper, [&](int t) { return !(rule.high < upper(t)); });
        const int belowLower = prefixLength(count, lowGuess, [&](int t) { return rule.low < lower(t); });
        const int notAboveLower = prefixLength(count, belowLower, [&](int t) { return !(rule.low > lower(t)); });
        if (lower(count - 1) > 0.0) {
            // No lower band is 0, so the rule is long where the high clears
            // the upper band and the low stays above the lower one (trials
            // notAboveLower .. aboveUpper-1) and short where the low breaks
            // the lower band and the high stays below the upper one
            // (notBelowUpper .. belowLower-1). At most one of the two is not
            // empty: aboveUpper <= notBelowUpper and belowLower <= notAboveLower.
            if (notAboveLower < aboveUpper) addOneRun(runs, notAboveLower, aboveUpper, Long);
            else if (notBelowUpper < belowLower) addOneRun(runs, notBelowUpper, belowLower, Short);
            else addOneRun(runs, 0, 0, Flat);
            continue;
        }
        const int zeroGuess = guess(rule.ema * perAtr);
        const int lowerAboveZero = prefixLength(count, zeroGuess, [&](int t) { return lower(t) > 0.0; });
        int bounds[] = {
            aboveUpper,
            notBelowUpper,
            belowLower,
            notAboveLower,
            lowerAboveZero,
            prefixLength(count, lowerAboveZero, [&](int t) { return lower(t) >= 0.0; }),
        };
        addRunsBetween(runs, bounds, positionAt);
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
