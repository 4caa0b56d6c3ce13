#include "model/apply_operations.h"
#include "search/optimisers.h"
#include "search/first_best.h"
#include "search/parallel_search.h"
#include "search/pnl_table.h"
#include "search/price_columns.h"
#include "search/stage_times.h"
#include "search/mean_crossing.h"
#include "search/trial_lanes.h"
#include "studies/series_stats.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace varkel {

namespace {

using lanes::Doubles;
using lanes::Ints;

// One (fast, slow) pair of spans that both have a moving average. The pairs
// run in grid order, eight to a work item, one per lane, across fast spans, so
// that only the last item has spare lanes.
struct SpanPair {
    int fast;
    int slow;
};

struct MacdScratch {
    LaneSeries line;              // the MACD line of each lane's pair
    std::vector<double> returns;  // [lane][signal]
    std::optional<LaneWindowSums<spansPerPass>> windows;
};

}  // namespace

OptimiserResult optimiseMacd(ProductRegistry& registry, std::string_view name,
                             const OptimiserControl& control, const MacdGrid& grid) {
    OptimiserResult result;
    Product* product = registry.findProduct(name);
    if (product == nullptr) return result;
    const PriceColumns columns(*product);
    const int n = columns.n;
    const int signals = grid.signal.count();
    if (n < 2 || signals <= 0 || grid.signal.first < 3) return result;
    StageClock setup(control.stageTimes);

    // Each moving average is computed once per span; a span the computation
    // refuses on this history has no average and its trials are not tried.
    const SeriesStats stats;
    const int firstSpan = grid.fast.first;
    std::vector<std::vector<double>> averages = stats.movingAverages(columns.close, firstSpan, grid.slowLast);
    for (int span = firstSpan; span < 3 && span <= grid.slowLast; ++span) averages[span - firstSpan].clear();
    auto hasAverage = [&](int span) { return span >= firstSpan && span <= grid.slowLast && !averages[span - firstSpan].empty(); };

    std::vector<SpanPair> pairs;
    for (int fast = grid.fast.first; fast <= grid.fast.last; ++fast) {
        if (!hasAverage(fast)) continue;
        for (int slow = fast + 1; slow <= grid.slowLast; ++slow)
            if (hasAverage(slow)) pairs.push_back({fast, slow});
    }
    const int pairCount = static_cast<int>(pairs.size());
    const int items = (pairCount + lanes::width - 1) / lanes::width;
    const std::int64_t total = static_cast<std::int64_t>(pairCount) * signals;

    const PnlTable table(*product);
    const int workers = workerCountFor(control, items);
    // Ledger slots: per pair and signal span, in grid order.
    const std::size_t slotsPerItem = static_cast<std::size_t>(lanes::width) * signals;
    const SearchRecording recording(control.ledger, n, static_cast<std::size_t>(total));
    std::vector<MacdScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.line.resize(n);
        s.returns.resize(slotsPerItem);
        s.windows = recording.windowSums<spansPerPass>();
    }
    setup.lap(SearchStage::Studies);

    const SearchBest best = runParallelSearch(
        items, total, control, workers,
        [&](int item, int worker, std::int64_t& trials) {
            StageClock clock(control.stageTimes);
            MacdScratch& s = scratch[worker];
            const int firstPair = item * lanes::width;
            const int lanesUsed = std::min(lanes::width, pairCount - firstPair);
            trials += static_cast<std::int64_t>(lanesUsed) * signals;
            // Spare lanes (in the last item only) repeat the first lane: an
            // all-zero line would tie at every bar and take the slow, exact
            // comparison. They record nothing.
            SpanPair pair[lanes::width];
            Ints slow;
            for (int lane = 0; lane < lanes::width; ++lane) {
                pair[lane] = pairs[static_cast<std::size_t>(firstPair + (lane < lanesUsed ? lane : 0))];
                slow[lane] = pair[lane].slow;
            }
            // The line is fast minus slow from the bar of the lane's slow span
            // on. Bar by bar, so that each bar's eight lanes are written at
            // once; from the bar where every lane's line has started, without a
            // test.
            const double* fastAverage[lanes::width];
            const double* slowAverage[lanes::width];
            int from[lanes::width];
            int smallestSlow = pair[0].slow;
            for (int lane = 0; lane < lanes::width; ++lane) {
                smallestSlow = std::min(smallestSlow, pair[lane].slow);
                from[lane] = std::min(pair[lane].slow, n);
                fastAverage[lane] = averages[pair[lane].fast - firstSpan].data();
                slowAverage[lane] = averages[pair[lane].slow - firstSpan].data();
            }
            const int started = *std::max_element(std::begin(from), std::end(from));
            for (int i = 0; i < started; ++i)
                for (int lane = 0; lane < lanes::width; ++lane)
                    s.line.values[i][lane] = i < from[lane] ? 0.0 : fastAverage[lane][i] - slowAverage[lane][i];
            for (int i = started; i < n; ++i)
                for (int lane = 0; lane < lanes::width; ++lane)
                    s.line.values[i][lane] = fastAverage[lane][i] - slowAverage[lane][i];
            // The signal is the mean of the line over its span, summed oldest
            // first; sums that start at the same bar share their partial sums.
            // Only bars after slow + span decide a position, so windows start at
            // the smallest slow span + 2 or later.
            s.line.restartWindows(smallestSlow + 2);
            clock.lap(SearchStage::Studies);
            for (int span = grid.signal.first; span <= grid.signal.last; span += spansPerPass) {
                Doubles sums[spansPerPass];
                const int spans = std::min(spansPerPass, grid.signal.last - span + 1);
                meanCrossingReturns(table, s.line, slow, smallestSlow, span, spans, sums, s.windows ? &*s.windows : nullptr);
                clock.lap(SearchStage::Kernel);
                for (int p = 0; p < spans; ++p) {
                    for (int lane = 0; lane < lanes::width; ++lane) {
                        const std::size_t trial =
                            static_cast<std::size_t>(lane) * signals + (span + p - grid.signal.first);
                        s.returns[trial] = sums[p][lane];
                        if (s.windows && lane < lanesUsed)
                            s.windows->record(recording.ledger(), static_cast<std::size_t>(firstPair) * signals + trial, p,
                                              lane, {{pair[lane].fast, pair[lane].slow, span + p}, nothingChosenSetting},
                                              sums[p][lane]);
                    }
                }
                clock.lap(SearchStage::Selection);
            }
            // Lanes in grid order, each lane's signal spans in grid order: the
            // item's trials as the grid meets them.
            ItemBest itemBest;
            for (int trial = 0; trial < lanesUsed * signals; ++trial)
                keepFirstStrictlyBest(s.returns[static_cast<std::size_t>(trial)], trial, itemBest.bestReturn, itemBest.trial);
            clock.lap(SearchStage::Selection);
            return itemBest;
        });

    StageClock choice(control.stageTimes);
    recording.finish(!best.cancelled);
    result.cancelled = best.cancelled;
    if (!best.chosen) return result;
    const auto [item, trial, bestReturn] = *best.chosen;
    const SpanPair chosen = pairs[static_cast<std::size_t>(item * lanes::width + trial / signals)];
    const int signal = grid.signal.first + trial % signals;
    result.chosen = LayerParameters{{chosen.fast, chosen.slow, signal}, nothingChosenSetting};
    result.bestReturn = bestReturn;
    applyMacd(registry, name, chosen.fast, chosen.slow, signal, 0.0);
    choice.lap(SearchStage::Selection);
    return result;
}

}  // namespace varkel
