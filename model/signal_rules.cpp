#include "model/signal_rules.h"

#include <cmath>

namespace varkel {

namespace {

bool fitsBars(const std::vector<Bar>& bars, int n) {
    return n >= 0 && static_cast<std::size_t>(n) < bars.size();
}

void writePositions(std::vector<Bar>& bars, const std::vector<std::int32_t>& positions) {
    for (std::size_t i = 0; i < positions.size(); ++i) bars[i].position = positions[i];
}

// decide(bar, i) gives the position that bar i's values call for on the next day.
template <class Decide>
void runBaseRule(std::vector<Bar>& bars, int n, Decide decide) {
    if (!fitsBars(bars, n)) return;
    std::vector<std::int32_t> positions(static_cast<std::size_t>(n) + 1, Flat);
    for (int i = 0; i < n; ++i) positions[i + 1] = decide(bars[i], i);
    writePositions(bars, positions);
}

// keep(bar, saved) gives what becomes of the saved next-day position.
template <class Keep>
void runFilter(std::vector<Bar>& bars, int n, std::span<const std::int32_t> savedPositions,
               Keep keep) {
    if (!fitsBars(bars, n) || savedPositions.size() < static_cast<std::size_t>(n) + 1) return;
    std::vector<std::int32_t> positions(savedPositions.begin(), savedPositions.begin() + n + 1);
    for (int i = 0; i < n; ++i) positions[i + 1] = keep(bars[i], positions[i + 1]);
    writePositions(bars, positions);
}

}  // namespace

void applyMacdRule(std::vector<Bar>& bars, int n, int slowSpan, int signalSpan, double threshold) {
    runBaseRule(bars, n, [&](const Bar& bar, int i) {
        // Spans come from model files and may be anything: add them wide.
        if (i <= std::int64_t{slowSpan} + signalSpan) return std::int32_t{Flat};
        return trendPosition(bar.macdLine - bar.macdSignal, threshold);
    });
}

void applyLregRule(std::vector<Bar>& bars, int n, double threshold) {
    runBaseRule(bars, n, [&](const Bar& bar, int) { return trendPosition(bar.lregSlope, threshold); });
}

void applyTscRule(std::vector<Bar>& bars, int n, double threshold) {
    runBaseRule(bars, n, [&](const Bar& bar, int) { return trendPosition(bar.tsc, threshold); });
}

void applyStochasticsRule(std::vector<Bar>& bars, int n, int kSpan, int dSpan, int slowDSpan,
                          double threshold) {
    runBaseRule(bars, n, [&](const Bar& bar, int i) {
        if (i <= std::int64_t{kSpan} + dSpan + slowDSpan) return std::int32_t{Flat};
        return trendPosition(bar.stochD - bar.stochSlowD, threshold);
    });
}

void applyKeltnerRule(std::vector<Bar>& bars, int n) {
    runBaseRule(bars, n, [](const Bar& bar, int) {
        return bandPosition(bar.high, bar.low, bar.keltnerUpper, bar.keltnerLower);
    });
}

void applyLregFilter(std::vector<Bar>& bars, int n, double threshold,
                     std::span<const std::int32_t> savedPositions) {
    const double limit = std::fabs(threshold);
    runFilter(bars, n, savedPositions,
              [&](const Bar& bar, std::int32_t saved) { return sizeFilter(bar.lregSlope, limit, saved); });
}

void applyTscFilter(std::vector<Bar>& bars, int n, double threshold,
                    std::span<const std::int32_t> savedPositions) {
    const double limit = std::fabs(threshold);
    runFilter(bars, n, savedPositions,
              [&](const Bar& bar, std::int32_t saved) { return sizeFilter(bar.tsc, limit, saved); });
}

void applyRocFilter(std::vector<Bar>& bars, int n, double threshold,
                    std::span<const std::int32_t> savedPositions) {
    const double limit = std::fabs(threshold);
    runFilter(bars, n, savedPositions,
              [&](const Bar& bar, std::int32_t saved) { return rocFilter(bar.roc, limit, saved); });
}

void applyNdistFilter(std::vector<Bar>& bars, int n, double threshold,
                      std::span<const std::int32_t> savedPositions) {
    const double limit = std::fabs(threshold);
    runFilter(bars, n, savedPositions,
              [&](const Bar& bar, std::int32_t saved) { return ndistFilter(bar.ndist, limit, saved); });
}

std::vector<std::int32_t> copyPositions(const std::vector<Bar>& bars) {
    std::vector<std::int32_t> positions;
    positions.reserve(bars.size());
    for (const Bar& bar : bars) positions.push_back(bar.position);
    return positions;
}

}  // namespace varkel
