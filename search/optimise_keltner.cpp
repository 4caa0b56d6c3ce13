#include "model/apply_operations.h"
#include "search/optimisers.h"
#include "search/parallel_search.h"
#include "search/pnl_table.h"
#include "search/run_returns.h"
#include "search/setting_runs.h"
#include "search/stage_times.h"
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
    // The position runs need ascending multipliers, as a stepped grid gives them.
    if (!settingsAscend(multipliers)) return result;
    if (grid.ema.first < 3 || grid.atr.first < 3) return result;
    StageClock setup(control.stageTimes);

    // The EMA depends on its span only and the ATR on its span only: each is
    // computed once, by the same computations the bands use (the ATR spans
    // share their window sums).
    StudyScratch study(*product);
    std::vector<std::vector<double>> emas;
    for (int span = grid.ema.first; span <= grid.ema.last; ++span) {
        calcEma(study.registry, name, span);
        emas.push_back(study.column(&Bar::ema));
    }
    const std::vector<std::vector<double>> atrs = atrColumns(study.registry, name, grid.atr.first, grid.atr.last);

    const PnlTable table(*product);
    const int workers = workerCountFor(control, emaCount * atrCount);
    std::vector<std::vector<double>> returnsOf(static_cast<std::size_t>(workers), std::vector<double>(multiplierCount));
    const std::int64_t total = static_cast<std::int64_t>(emaCount) * atrCount * multiplierCount;
    const SearchRecording recording(control.ledger, n, static_cast<std::size_t>(total));
    std::vector<PositionRuns> runsOf(static_cast<std::size_t>(workers), PositionRuns(multiplierCount));
    std::vector<std::optional<TrialWindowSums>> windowsOf(static_cast<std::size_t>(workers));
    for (auto& windows : windowsOf) windows = recording.trialWindowSums(multiplierCount);
    setup.lap(SearchStage::Studies);

    const SearchBest best = runParallelSearch(emaCount * atrCount, total, control, workers,
                                              [&](int item, int worker, std::int64_t& trials) {
        StageClock clock(control.stageTimes);
        std::vector<double>& returns = returnsOf[worker];
        const int emaSpan = grid.ema.first + item / atrCount;
        const int atrSpan = grid.atr.first + item % atrCount;
        const int start = std::max(atrSpan + 1, emaSpan);
        const auto& ema = emas[item / atrCount];
        const auto& atr = atrs[item % atrCount];
        std::optional<TrialWindowSums>& windows = windowsOf[worker];
        const KeltnerColumns columns{prices.high.data(), prices.low.data(), ema.data(), atr.data(), start};
        keltnerRuns(columns, multipliers, n, runsOf[worker]);
        runReturns(table, runsOf[worker], returns.data(), windows ? &*windows : nullptr);
        clock.lap(SearchStage::Kernel);
        for (int k = 0; windows && k < multiplierCount; ++k)
            windows->record(recording.ledger(), static_cast<std::size_t>(item) * multiplierCount + k, k,
                            {{emaSpan, atrSpan, nothingChosenSpan}, multipliers[k]}, returns[k]);
        trials = multiplierCount;
        const ItemBest itemBest = firstBestOf(returns.data(), multiplierCount);
        clock.lap(SearchStage::Selection);
        return itemBest;
    });

    StageClock choice(control.stageTimes);
    recording.finish(!best.cancelled);
    result.cancelled = best.cancelled;
    if (!best.chosen) return result;
    const auto [item, trial, bestReturn] = *best.chosen;
    const int emaSpan = grid.ema.first + item / atrCount;
    const int atrSpan = grid.atr.first + item % atrCount;
    result.chosen = LayerParameters{{emaSpan, atrSpan, nothingChosenSpan}, multipliers[trial]};
    result.bestReturn = bestReturn;
    applyKeltner(registry, name, emaSpan, atrSpan, multipliers[trial]);
    choice.lap(SearchStage::Selection);
    return result;
}

}  // namespace varkel
