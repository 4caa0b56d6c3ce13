#pragma once

#include "data/bar.h"

#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

namespace varkel {

// The rules that turn study values into positions. Each works on the bars of one
// product with n real bars (bars holds n + 1 bars, the last being the next-day
// bar): the values of bar i decide the position of bar i + 1, bar 0 keeps its
// start value, and the result is written into the position of every bar, the
// next-day bar included. All comparisons are strict, so a value equal to the
// threshold neither opens a position nor flattens one. A call whose n does not
// fit the bars does nothing.
//
// Base rules start from all flat and decide each day's direction.
void applyMacdRule(std::vector<Bar>& bars, int n, int slowSpan, int signalSpan, double threshold);
void applyLregRule(std::vector<Bar>& bars, int n, double threshold);
void applyTscRule(std::vector<Bar>& bars, int n, double threshold);
void applyStochasticsRule(std::vector<Bar>& bars, int n, int kSpan, int dSpan, int slowDSpan,
                          double threshold);
// Bars whose lower band is exactly 0 (bands not yet formed) give flat.
void applyKeltnerRule(std::vector<Bar>& bars, int n);

// Filters start from savedPositions (the n + 1 positions the bars held before the
// filter's study was recomputed) and can only turn a long or short flat; they
// never open or reverse a position. They use the magnitude of the threshold.
void applyLregFilter(std::vector<Bar>& bars, int n, double threshold,
                     std::span<const std::int32_t> savedPositions);
void applyTscFilter(std::vector<Bar>& bars, int n, double threshold,
                    std::span<const std::int32_t> savedPositions);
// Flattens a long when roc falls below -|threshold| and a short when it rises above it.
void applyRocFilter(std::vector<Bar>& bars, int n, double threshold,
                    std::span<const std::int32_t> savedPositions);
// Flattens where ndist itself (not its magnitude) is below |threshold|.
void applyNdistFilter(std::vector<Bar>& bars, int n, double threshold,
                      std::span<const std::int32_t> savedPositions);

// One bar's decision under each rule, for the searches that try many
// thresholds on the same values: the direction of a value beyond the
// threshold (LREG, TSC, and the MACD and stochastics distances; short wins
// when a negative threshold lets both hold); Keltner's band breakout; and what
// a filter makes of the saved position. Inline: the searches ask them once per
// bar and bound.
inline std::int32_t trendPosition(double value, double threshold) {
    if (value < -threshold) return Short;
    if (value > threshold) return Long;
    return Flat;
}

inline std::int32_t bandPosition(double high, double low, double upper, double lower) {
    std::int32_t position = Flat;
    if (lower == 0.0) return position;
    if (high > upper && low > lower) position = Long;
    if (low < lower && high < upper) position = Short;
    return position;
}

inline std::int32_t sizeFilter(double value, double limit, std::int32_t saved) {
    return std::fabs(value) < limit ? std::int32_t{Flat} : saved;
}

inline std::int32_t rocFilter(double roc, double limit, std::int32_t saved) {
    if (saved == Long && roc < -limit) return Flat;
    if (saved == Short && roc > limit) return Flat;
    return saved;
}

inline std::int32_t ndistFilter(double ndist, double limit, std::int32_t saved) {
    return ndist < limit ? std::int32_t{Flat} : saved;
}

// The positions of every bar, for a filter to start from.
std::vector<std::int32_t> copyPositions(const std::vector<Bar>& bars);

}  // namespace varkel
