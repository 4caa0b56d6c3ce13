#include "model/apply_operations.h"
#include "model/optimisers.h"
#include "model/parallel_search.h"
#include "model/pnl_table.h"
#include "model/price_columns.h"
#include "studies/series_stats.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace varkel {

namespace {

struct SpanPair {
    int fast;
    int slow;
};

struct MacdScratch {
    std::vector<double> line;
    std::vector<double> windowSums;
    std::vector<std::int8_t> positions;  // one row of n + 1 per signal span
    std::vector<const std::int8_t*> rows;
    std::vector<double> returns;
};

// Positions of every signal span for one (fast, slow) pair. The signal line is
// the mean of the MACD line over the window, summed oldest first; sums that
// start at the same bar share their partial sums, so growing the window by one
// bar per step yields every span's window sums in the exact order of a plain loop.
void signalPositions(const std::vector<double>& fastAverage, const std::vector<double>& slowAverage,
                     const SpanPair& pair, const SpanRange& signal, int n, MacdScratch& s) {
    const int m = std::max(pair.fast, pair.slow);
    for (int i = 0; i < n; ++i) s.line[i] = i < m ? 0.0 : fastAverage[i] - slowAverage[i];
    const int stride = n + 1;
    std::fill(s.positions.begin(), s.positions.end(), std::int8_t{0});
    // Only bars i > slow + span decide a position, so windows start at slow + 2 or later.
    const int firstStart = pair.slow + 2;
    std::fill(s.windowSums.begin(), s.windowSums.end(), 0.0);
    double* sums = s.windowSums.data();
    const double* line = s.line.data();
    for (int t = 0; t < signal.last; ++t) {
        const int span = t + 1;
        for (int j = firstStart; j + t < n; ++j) sums[j] += line[j + t];
        if (span < signal.first) continue;
        std::int8_t* row = s.positions.data() + static_cast<std::size_t>(span - signal.first) * stride;
        const double divisor = span;
        // Entry i + 1 for i = slow + span + 1 .. n - 2 (the last real bar's entry is
        // not needed for the return).
        for (int i = pair.slow + span + 1; i <= n - 2; ++i) {
            const double d = line[i] - sums[i - t] / divisor;
            row[i + 1] = static_cast<std::int8_t>((d > 0.0) - (d < 0.0));
        }
    }
}

}  // namespace

OptimiserResult optimiseMacd(ProductRegistry& registry, std::string_view name,
                             const OptimiserControl& control, const MacdGrid& grid) {
    OptimiserResult result;
    Product* product = registry.findProduct(name);
    if (product == nullptr) return result;
    const PriceColumns columns(*product);
    const int n = columns.n;
    if (n < 2 || grid.signal.count() <= 0) return result;

    // Each moving average is computed once per span; a span longer than the
    // history has no average and its trials are not tried.
    const SeriesStats stats;
    const int firstSpan = grid.fast.first;
    std::vector<std::vector<double>> averages;
    for (int span = firstSpan; span <= grid.slowLast; ++span)
        averages.push_back(span >= 3 ? stats.movingAverage(columns.close, span) : std::vector<double>{});
    auto average = [&](int span) -> const std::vector<double>& { return averages[span - firstSpan]; };

    std::vector<SpanPair> pairs;
    for (int fast = grid.fast.first; fast <= grid.fast.last; ++fast)
        for (int slow = fast + 1; slow <= grid.slowLast; ++slow)
            if (!average(fast).empty() && !average(slow).empty()) pairs.push_back({fast, slow});
    const int signals = grid.signal.count();
    const std::int64_t total = static_cast<std::int64_t>(pairs.size()) * signals;

    const PnlTable table(*product);
    const int workers = workerCountFor(control);
    std::vector<MacdScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.line.resize(n);
        s.windowSums.resize(n);
        s.positions.resize(static_cast<std::size_t>(signals) * (n + 1));
        s.returns.resize(signals);
        for (int k = 0; k < signals; ++k) s.rows.push_back(s.positions.data() + static_cast<std::size_t>(k) * (n + 1));
    }

    const SearchBest best = runParallelSearch(
        static_cast<int>(pairs.size()), total, control, workers,
        [&](int item, int worker, std::int64_t& trials) {
            MacdScratch& s = scratch[worker];
            const SpanPair pair = pairs[item];
            signalPositions(average(pair.fast), average(pair.slow), pair, grid.signal, n, s);
            table.finalReturns(s.rows.data(), signals, s.returns.data());
            trials = signals;
            ItemBest itemBest;
            for (int k = 0; k < signals; ++k) {
                if (s.returns[k] > itemBest.bestReturn) {
                    itemBest.bestReturn = s.returns[k];
                    itemBest.trial = k;
                }
            }
            return itemBest;
        });

    result.cancelled = best.cancelled;
    if (best.cancelled || best.item < 0) return result;
    result.bestReturn = best.bestReturn;
    result.span1 = pairs[best.item].fast;
    result.span2 = pairs[best.item].slow;
    result.span3 = grid.signal.first + best.trial;
    result.threshold = -999.0;
    applyMacd(registry, name, result.span1, result.span2, result.span3, 0.0);
    return result;
}

}  // namespace varkel
