#include "model/apply_operations.h"
#include "search/mean_crossing.h"
#include "search/mean_ratios.h"
#include "search/optimisers.h"
#include "search/parallel_search.h"
#include "search/pnl_table.h"
#include "search/price_columns.h"
#include "search/stage_times.h"
#include "search/stochastics_columns.h"
#include "studies/window_growth.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace varkel {

namespace {

using lanes::Doubles;
using lanes::Ints;

struct StochasticsScratch {
    std::unique_ptr<StochasticsColumns> kColumns;  // the %K stage of one %K span
    std::vector<double> closeLessLowSums, rangeSums;
    std::vector<double> d;       // %D by %D span, then by bar: each span's column is written in one sweep
    LaneSeries dLanes;           // %D of eight %D spans, one per lane
    std::vector<double> returns;  // [%D span][slow %D span]
    std::optional<LaneWindowSums<spansPerPass>> windows;
};

// %D for every %D span of the grid at the given %K span, written into
// s.d[(dSpan - first) * n + bar]. The window sums of the close-less-low and
// range columns that start at the same bar share their partial sums, so adding
// one bar per step gives every span's sums in the order of a plain loop.
void allDLines(StochasticsScratch& s, const std::vector<double>& closeLessLow, const std::vector<double>& range,
               int kSpan, const SpanRange& dRange, int n) {
    std::fill(s.closeLessLowSums.begin(), s.closeLessLowSums.end(), 0.0);
    std::fill(s.rangeSums.begin(), s.rangeSums.end(), 0.0);
    const int firstStart = kSpan - 1;
    for (int t = 0; t < dRange.last; ++t) {
        const int windows = n - t - firstStart;
        if (windows > 0) {
            growWindows(&s.closeLessLowSums[firstStart], &closeLessLow[firstStart + t], windows);
            growWindows(&s.rangeSums[firstStart], &range[firstStart + t], windows);
        }
        const int dSpan = t + 1;
        if (dSpan < dRange.first) continue;
        // Bar i reads the windows that start at i - t; %D is zero before its first bar.
        const int first = kSpan + dSpan - 2;
        double* d = &s.d[static_cast<std::size_t>(dSpan - dRange.first) * n];
        std::fill_n(d, std::min(first, n), 0.0);
        if (first < n) meanRatios(&s.closeLessLowSums[first - t], &s.rangeSums[first - t], n - first, dSpan, d + first);
    }
}

}  // namespace

OptimiserResult optimiseStochastics(ProductRegistry& registry, std::string_view name,
                                    const OptimiserControl& control, const StochasticsGrid& grid) {
    OptimiserResult result;
    Product* product = registry.findProduct(name);
    if (product == nullptr) return result;
    const int n = product->historyLength();
    const int kCount = grid.k.count(), dCount = grid.d.count(), slowCount = grid.slowD.count();
    if (n < 2 || kCount <= 0 || dCount <= 0 || slowCount <= 0) return result;
    if (grid.k.first < 3 || grid.d.first < 3 || grid.slowD.first < 3) return result;
    StageClock setup(control.stageTimes);
    const int dGroups = (dCount + lanes::width - 1) / lanes::width;
    const int stride = dGroups * lanes::width;

    const PnlTable table(*product);
    const PriceColumns prices(*product);
    const int workers = workerCountFor(control, kCount);
    const std::int64_t total = static_cast<std::int64_t>(kCount) * dCount * slowCount;
    const std::size_t slotsPerK = static_cast<std::size_t>(dCount) * slowCount;
    const SearchRecording recording(control.ledger, n, static_cast<std::size_t>(total));
    std::vector<StochasticsScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.kColumns = std::make_unique<StochasticsColumns>(prices);
        s.closeLessLowSums.resize(n);
        s.rangeSums.resize(n);
        s.d.resize(static_cast<std::size_t>(n) * dCount);
        s.dLanes.resize(n);
        s.returns.resize(static_cast<std::size_t>(stride) * slowCount);
        s.windows = recording.windowSums<spansPerPass>();
    }
    setup.lap(SearchStage::Studies);

    const SearchBest best = runParallelSearch(kCount, total, control, workers, [&](int item, int worker, std::int64_t& trials) {
        StageClock clock(control.stageTimes);
        StochasticsScratch& s = scratch[worker];
        const int kSpan = grid.k.first + item;
        // The %K stage depends on the %K span only: its range and close-less-low columns.
        s.kColumns->compute(kSpan);
        allDLines(s, s.kColumns->closeLessLow, s.kColumns->range, kSpan, grid.d, n);
        for (int group = 0; group < dGroups; ++group) {
            const int firstD = grid.d.first + group * lanes::width;
            // Lanes past the last %D span repeat the first lane (an all-zero
            // series would tie at every bar and take the slow, exact comparison).
            // Bar by bar, so that each bar's eight lanes are written at once.
            const int filled = std::min(lanes::width, dCount - group * lanes::width);
            const double* columns[lanes::width];
            for (int lane = 0; lane < lanes::width; ++lane)
                columns[lane] = &s.d[static_cast<std::size_t>(group * lanes::width + (lane < filled ? lane : 0)) * n];
            for (int i = 0; i < n; ++i)
                for (int lane = 0; lane < lanes::width; ++lane) s.dLanes.values[i].lane[lane] = columns[lane][i];
            // Slow %D is the mean of %D over its span; the position follows
            // %D - slow %D from bar %K + %D + slow %D + 1 on.
            Ints warmUp;
            for (int lane = 0; lane < lanes::width; ++lane) warmUp[lane] = kSpan + firstD + lane;
            s.dLanes.restartWindows(kSpan + firstD - 2);
            clock.lap(SearchStage::Studies);
            for (int span = grid.slowD.first; span <= grid.slowD.last; span += spansPerPass) {
                Doubles sums[spansPerPass];
                const int spans = std::min(spansPerPass, grid.slowD.last - span + 1);
                meanCrossingReturns(table, s.dLanes, warmUp, kSpan + firstD, span, spans, sums,
                                    s.windows ? &*s.windows : nullptr);
                clock.lap(SearchStage::Kernel);
                for (int p = 0; p < spansPerPass && span + p <= grid.slowD.last; ++p) {
                    for (int lane = 0; lane < lanes::width; ++lane) {
                        const int dIndex = group * lanes::width + lane;
                        const std::size_t trial =
                            static_cast<std::size_t>(dIndex) * slowCount + (span + p - grid.slowD.first);
                        s.returns[trial] = sums[p][lane];
                        if (s.windows && dIndex < dCount)
                            s.windows->record(recording.ledger(), item * slotsPerK + trial, p, lane,
                                              {{kSpan, firstD + lane, span + p}, nothingChosenSetting}, sums[p][lane]);
                    }
                }
                clock.lap(SearchStage::Selection);
            }
        }
        trials = static_cast<std::int64_t>(dCount) * slowCount;
        const ItemBest itemBest = firstBestOf(s.returns.data(), dCount * slowCount);
        clock.lap(SearchStage::Selection);
        return itemBest;
    });

    StageClock choice(control.stageTimes);
    recording.finish(!best.cancelled);
    result.cancelled = best.cancelled;
    if (!best.chosen) return result;
    const auto [item, trial, bestReturn] = *best.chosen;
    const int kSpan = grid.k.first + item;
    const int dSpan = grid.d.first + trial / slowCount;
    const int slowDSpan = grid.slowD.first + trial % slowCount;
    result.chosen = LayerParameters{{kSpan, dSpan, slowDSpan}, nothingChosenSetting};
    result.bestReturn = bestReturn;
    applyStochastics(registry, name, kSpan, dSpan, slowDSpan, 0.0);
    choice.lap(SearchStage::Selection);
    return result;
}

}  // namespace varkel
