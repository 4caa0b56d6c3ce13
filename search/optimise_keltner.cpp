#include "model/apply_operations.h"
#include "search/keltner_lanes.h"
#include "search/optimisers.h"
#include "search/parallel_search.h"
#include "search/pnl_table.h"
#include "search/run_returns.h"
#include "search/setting_runs.h"
#include "search/trial_lanes.h"
#include "search/price_columns.h"
#include "search/study_scratch.h"
#include "search/window_sums.h"
#include "studies/trend_studies.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace varkel {

OptimiserResult optimiseKeltner(ProductRegistry& registry, std::string_view name,
                                const OptimiserControl& control, const KeltnerGrid& grid) {
    OptimiserResult result;
    Product* product = registry.findProduct(name);
    if (product == nullptr) return result;
    const PriceColumns prices(*product);
    const int n = prices.n;
    const std::vector<double> multipliers = grid.multiplier.values();
    const int emaCount = grid.ema.count(), atrCount = grid.atr.count();
    const int multiplierCount = static_cast<int>(multipliers.size());
    if (n < 2 || emaCount <= 0 || atrCount <= 0 || multiplierCount <= 0) return result;
    if (grid.ema.first < 3 || grid.atr.first < 3) return result;

    // The EMA depends on its span only and the ATR on its span only: each is
    // computed once, by the same computations the bands use.
    StudyScratch study(*product);
    std::vector<std::vector<double>> emas, atrs;
    for (int span = grid.ema.first; span <= grid.ema.last; ++span) {
        calcEma(study.registry, name, span);
        emas.push_back(study.column(&Bar::ema));
    }
    for (int span = grid.atr.first; span <= grid.atr.last; ++span) {
        calcAtr(study.registry, name, span);
        atrs.push_back(study.column(&Bar::atr));
    }

    const PnlTable table(*product);
    const int workers = workerCountFor(control, emaCount * atrCount);
    constexpr int passWidth = lanes::groupsPerPass * lanes::width;
    std::vector<std::vector<double>> returnsOf(static_cast<std::size_t>(workers),
                                               std::vector<double>(multiplierCount + passWidth));
    const std::int64_t total = static_cast<std::int64_t>(emaCount) * atrCount * multiplierCount;
    const SearchRecording recording(control.ledger, n, static_cast<std::size_t>(total));
    std::vector<std::optional<LaneWindowSums<lanes::groupsPerPass>>> windowsOf(static_cast<std::size_t>(workers));
    for (auto& windows : windowsOf) windows = recording.windowSums<lanes::groupsPerPass>();

    // Without a ledger to fill, ascending multipliers take the position runs.
    std::vector<std::optional<PositionRuns>> runsOf(static_cast<std::size_t>(workers));
    if (!recording.on() && settingsAscend(multipliers))
        for (auto& runs : runsOf) runs.emplace(multiplierCount);

    const SearchBest best = runParallelSearch(emaCount * atrCount, total, control, workers,
                                              [&](int item, int worker, std::int64_t& trials) {
        std::vector<double>& returns = returnsOf[worker];
        const int emaSpan = grid.ema.first + item / atrCount;
        const int atrSpan = grid.atr.first + item % atrCount;
        const int start = std::max(atrSpan + 1, emaSpan);
        const auto& ema = emas[item / atrCount];
        const auto& atr = atrs[item % atrCount];
        std::optional<LaneWindowSums<lanes::groupsPerPass>>& windows = windowsOf[worker];
        const KeltnerColumns columns{prices.high.data(), prices.low.data(), ema.data(), atr.data(), start};
        if (runsOf[worker]) {
            keltnerRuns(columns, multipliers, n, *runsOf[worker]);
            runReturns(table, *runsOf[worker], returns.data());
        }
        for (int first = 0; !runsOf[worker] && first < multiplierCount; first += passWidth) {
            // The last pass repeats the last multiplier in its spare lanes.
            lanes::Doubles multiplier[lanes::groupsPerPass];
            for (int k = 0; k < passWidth; ++k)
                multiplier[k / lanes::width][k % lanes::width] = multipliers[std::min(first + k, multiplierCount - 1)];
            lanes::Doubles sums[lanes::groupsPerPass];
            keltnerReturns(table, columns, multiplier, windows ? &*windows : nullptr, sums);
            for (int k = 0; k < passWidth; ++k) returns[first + k] = sums[k / lanes::width][k % lanes::width];
            for (int k = 0; windows && k < passWidth && first + k < multiplierCount; ++k)
                windows->record(recording.ledger(), static_cast<std::size_t>(item) * multiplierCount + first + k,
                                k / lanes::width, k % lanes::width, {{emaSpan, atrSpan, -999}, multipliers[first + k]},
                                sums[k / lanes::width][k % lanes::width]);
        }
        trials = multiplierCount;
        ItemBest itemBest;
        for (int k = 0; k < multiplierCount; ++k) {
            if (returns[k] > itemBest.bestReturn) {
                itemBest.bestReturn = returns[k];
                itemBest.trial = k;
            }
        }
        return itemBest;
    });

    recording.finish(!best.cancelled);
    result.cancelled = best.cancelled;
    if (!best.chosen) return result;
    const auto [item, trial, bestReturn] = *best.chosen;
    const int emaSpan = grid.ema.first + item / atrCount;
    const int atrSpan = grid.atr.first + item % atrCount;
    result.chosen = LayerParameters{{emaSpan, atrSpan, -999}, multipliers[trial]};
    result.bestReturn = bestReturn;
    applyKeltner(registry, name, emaSpan, atrSpan, multipliers[trial]);
    return result;
}

}  // namespace varkel
