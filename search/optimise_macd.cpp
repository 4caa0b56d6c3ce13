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

// One work item: a fast span and eight consecutive slow spans, one per lane.
struct SlowGroup {
    int fast;
    int firstSlow;
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

    std::vector<SlowGroup> groups;
    std::int64_t total = 0;
    for (int fast = grid.fast.first; fast <= grid.fast.last; ++fast) {
        if (!hasAverage(fast)) continue;
        for (int slow = fast + 1; slow <= grid.slowLast; slow += lanes::width) {
            groups.push_back({fast, slow});
            for (int lane = 0; lane < lanes::width; ++lane) total += hasAverage(slow + lane) ? signals : 0;
        }
    }

    const PnlTable table(*product);
    const int workers = workerCountFor(control, static_cast<int>(groups.size()));
    // Ledger slots: per group, lane (slow span) and signal span, in grid order.
    const std::size_t slotsPerGroup = static_cast<std::size_t>(lanes::width) * signals;
    const SearchRecording recording(control.ledger, n, groups.size() * slotsPerGroup);
    std::vector<MacdScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.line.resize(n);
        s.returns.resize(slotsPerGroup);
        s.windows = recording.windowSums<spansPerPass>();
    }
    setup.lap(SearchStage::Studies);

    const SearchBest best = runParallelSearch(
        static_cast<int>(groups.size()), total, control, workers,
        [&](int item, int worker, std::int64_t& trials) {
            StageClock clock(control.stageTimes);
            MacdScratch& s = scratch[worker];
            const SlowGroup group = groups[item];
            const std::vector<double>& fastAverage = averages[group.fast - firstSpan];
            Ints slow;
            bool valid[lanes::width];
            for (int lane = 0; lane < lanes::width; ++lane) {
                slow[lane] = group.firstSlow + lane;
                valid[lane] = hasAverage(group.firstSlow + lane);
                trials += valid[lane] ? signals : 0;
            }
            // The line is fast minus slow from the bar of the longer span on.
            // Lanes without a trial repeat the first lane (an all-zero line
            // would tie at every bar and take the slow, exact comparison).
            // Bar by bar, so that each bar's eight lanes are written at once;
            // from the bar where every lane's line has started, without a test.
            const double* slowAverage[lanes::width];
            int from[lanes::width];
            for (int lane = 0; lane < lanes::width; ++lane) {
                const int slowSpan = group.firstSlow + (valid[lane] ? lane : 0);
                from[lane] = valid[0] ? std::min(slowSpan, n) : n;
                slowAverage[lane] = averages[slowSpan - firstSpan].data();
            }
            const int started = *std::max_element(std::begin(from), std::end(from));
            for (int i = 0; i < started; ++i)
                for (int lane = 0; lane < lanes::width; ++lane)
                    s.line.values[i][lane] = i < from[lane] ? 0.0 : fastAverage[i] - slowAverage[lane][i];
            for (int i = started; i < n; ++i)
                for (int lane = 0; lane < lanes::width; ++lane)
                    s.line.values[i][lane] = fastAverage[i] - slowAverage[lane][i];
            // The signal is the mean of the line over its span, summed oldest
            // first; sums that start at the same bar share their partial sums.
            // Only bars after slow + span decide a position, so windows start at
            // firstSlow + 2 or later.
            s.line.restartWindows(group.firstSlow + 2);
            clock.lap(SearchStage::Studies);
            for (int span = grid.signal.first; span <= grid.signal.last; span += spansPerPass) {
                Doubles sums[spansPerPass];
                const int spans = std::min(spansPerPass, grid.signal.last - span + 1);
                meanCrossingReturns(table, s.line, slow, group.firstSlow, span, spans, sums, s.windows ? &*s.windows : nullptr);
                clock.lap(SearchStage::Kernel);
                for (int p = 0; p < spansPerPass && span + p <= grid.signal.last; ++p) {
                    for (int lane = 0; lane < lanes::width; ++lane) {
                        const std::size_t trial =
                            static_cast<std::size_t>(lane) * signals + (span + p - grid.signal.first);
                        s.returns[trial] = sums[p][lane];
                        if (s.windows && valid[lane])
                            s.windows->record(recording.ledger(), item * slotsPerGroup + trial, p, lane,
                                              {{group.fast, group.firstSlow + lane, span + p}, nothingChosenSetting}, sums[p][lane]);
                    }
                }
                clock.lap(SearchStage::Selection);
            }
            ItemBest itemBest;
            for (int lane = 0; lane < lanes::width; ++lane) {
                if (!valid[lane]) continue;
                for (int k = 0; k < signals; ++k) {
                    keepFirstStrictlyBest(s.returns[static_cast<std::size_t>(lane) * signals + k], lane * signals + k,
                                          itemBest.bestReturn, itemBest.trial);
                }
            }
            clock.lap(SearchStage::Selection);
            return itemBest;
        });

    StageClock choice(control.stageTimes);
    recording.finish(!best.cancelled);
    result.cancelled = best.cancelled;
    if (!best.chosen) return result;
    const auto [item, trial, bestReturn] = *best.chosen;
    const int fast = groups[item].fast;
    const int slow = groups[item].firstSlow + trial / signals;
    const int signal = grid.signal.first + trial % signals;
    result.chosen = LayerParameters{{fast, slow, signal}, nothingChosenSetting};
    result.bestReturn = bestReturn;
    applyMacd(registry, name, fast, slow, signal, 0.0);
    choice.lap(SearchStage::Selection);
    return result;
}

}  // namespace varkel
