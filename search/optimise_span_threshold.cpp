#include "model/apply_operations.h"
#include "search/optimisers.h"
#include "search/parallel_search.h"
#include "search/pnl_table.h"
#include "search/trial_lanes.h"
#include "search/study_scratch.h"
#include "search/window_sums.h"
#include "studies/oscillators.h"
#include "studies/statistical_studies.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace varkel {

namespace {

// The one-span studies searched over span and threshold, and how each turns
// its value into a position.
enum class Rule { Base, MagnitudeFilter, RocFilter, NdistFilter };

struct SpanStudy {
    void (*compute)(ProductRegistry&, std::string_view, int);
    double Bar::*value;
    std::int32_t Bar::*period;
    Rule rule;
};

struct SpanScratch {
    std::unique_ptr<StudyScratch> study;
    std::vector<double> returns;
    std::optional<LaneWindowSums<1>> windows;
};

// The positions of bar i for eight thresholds: the rule reads the study value
// of the bar before; bar 0 keeps its start (flat, or the filtered positions).
lanes::Ints positionsAt(Rule rule, const std::vector<double>& v, lanes::Doubles threshold,
                        lanes::Doubles limit, const std::vector<std::int8_t>& saved, int i) {
    using lanes::broadcast;
    using lanes::Ints;
    if (i == 0) return broadcast(std::int64_t{rule == Rule::Base ? 0 : saved[0]});
    const double value = v[i - 1];
    const std::int64_t kept = saved[i];
    const Ints zero = {};
    switch (rule) {
        case Rule::Base: {
            const Ints below = broadcast(value) < -threshold;
            const Ints above = broadcast(value) > threshold;
            return below ? broadcast(std::int64_t{-1}) : -above;
        }
        case Rule::MagnitudeFilter:
            return broadcast(std::fabs(value)) < limit ? zero : broadcast(kept);
        case Rule::RocFilter:
            if (kept == 1) return broadcast(value) < -limit ? zero : broadcast(kept);
            if (kept == -1) return broadcast(value) > limit ? zero : broadcast(kept);
            return zero;
        case Rule::NdistFilter:
            return broadcast(value) < limit ? zero : broadcast(kept);
    }
    return zero;
}

// Searches span (outer) and threshold (inner). Returns the best span and
// threshold; the caller rebuilds the best trial into the bars.
OptimiserResult searchSpanThreshold(ProductRegistry& registry, std::string_view name, const SpanStudy& kind,
                                    const OptimiserControl& control, const SpanThresholdGrid& grid) {
    OptimiserResult result;
    Product* product = registry.findProduct(name);
    if (product == nullptr) return result;
    const int n = product->historyLength();
    const std::vector<double> thresholds = grid.threshold.values();
    const int spanCount = grid.span.count();
    const int thresholdCount = static_cast<int>(thresholds.size());
    if (n < 2 || spanCount <= 0 || thresholdCount <= 0) return result;

    // A filter starts from the positions the bars hold now (the layers before it).
    std::vector<std::int8_t> saved;
    for (const Bar& bar : product->bars) {
        if (bar.position < -1 || bar.position > 1) return result;
        saved.push_back(static_cast<std::int8_t>(bar.position));
    }

    const PnlTable table(*product);
    const int workers = workerCountFor(control, spanCount);
    const std::int64_t total = static_cast<std::int64_t>(spanCount) * thresholdCount;
    const SearchRecording recording(control.ledger, n, static_cast<std::size_t>(total));
    std::vector<SpanScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.study = std::make_unique<StudyScratch>(*product);
        s.returns.resize(static_cast<std::size_t>(thresholdCount) + lanes::width);
        s.windows = recording.windowSums<1>();
    }

    const SearchBest best = runParallelSearch(spanCount, total, control, workers, [&](int item, int worker, std::int64_t& trials) {
        SpanScratch& s = scratch[worker];
        const int span = grid.span.first + item;
        trials = thresholdCount;
        // A span the computation refuses on this history is not tried: its
        // trials would only see values left over from another span.
        s.study->clearPeriod(kind.period);
        kind.compute(s.study->registry, name, span);
        if (!s.study->computed(kind.period, span)) return ItemBest{};
        const std::vector<double> values = s.study->column(kind.value);
        NoWindowSums noWindows;
        for (int first = 0; first < thresholdCount; first += lanes::width) {
            // The last group repeats the last threshold in its spare lanes.
            lanes::Doubles threshold, limit;
            for (int lane = 0; lane < lanes::width; ++lane) {
                threshold[lane] = thresholds[std::min(first + lane, thresholdCount - 1)];
                limit[lane] = std::fabs(threshold[lane]);
            }
            auto positionAt = [&](int i) { return positionsAt(kind.rule, values, threshold, limit, saved, i); };
            const lanes::Doubles returns = s.windows ? lanes::finalReturns(table, positionAt, *s.windows)
                                                     : lanes::finalReturns(table, positionAt, noWindows);
            for (int lane = 0; lane < lanes::width; ++lane) s.returns[first + lane] = returns[lane];
            for (int lane = 0; s.windows && lane < lanes::width && first + lane < thresholdCount; ++lane)
                s.windows->record(recording.ledger(), static_cast<std::size_t>(item) * thresholdCount + first + lane,
                                  0, lane, {span, -999, -999, thresholds[first + lane]}, returns[lane]);
        }
        ItemBest itemBest;
        for (int k = 0; k < thresholdCount; ++k) {
            if (s.returns[k] > itemBest.bestReturn) {
                itemBest.bestReturn = s.returns[k];
                itemBest.trial = k;
            }
        }
        return itemBest;
    });

    recording.finish(!best.cancelled);
    result.cancelled = best.cancelled;
    if (!best.chosen) return result;
    result.chosen = LayerParameters{{grid.span.first + best.chosen->item, -999, -999}, thresholds[best.chosen->trial]};
    result.bestReturn = best.chosen->bestReturn;
    return result;
}

}  // namespace

OptimiserResult optimiseLreg(ProductRegistry& registry, std::string_view name, bool asFilter,
                             const OptimiserControl& control, const SpanThresholdGrid& grid) {
    const SpanStudy kind{calcLinearRegression, &Bar::lregSlope, &Bar::lregPeriod,
                         asFilter ? Rule::MagnitudeFilter : Rule::Base};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.chosen) applyLreg(registry, name, result.chosen->spans[0], result.chosen->setting, asFilter);
    return result;
}

OptimiserResult optimiseTsc(ProductRegistry& registry, std::string_view name, bool asFilter,
                            const OptimiserControl& control, const SpanThresholdGrid& grid) {
    const SpanStudy kind{calcTimeSeriesCorrelation, &Bar::tsc, &Bar::tscPeriod,
                         asFilter ? Rule::MagnitudeFilter : Rule::Base};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.chosen) applyTsc(registry, name, result.chosen->spans[0], result.chosen->setting, asFilter);
    return result;
}

OptimiserResult optimiseRoc(ProductRegistry& registry, std::string_view name, const OptimiserControl& control,
                            const SpanThresholdGrid& grid) {
    const SpanStudy kind{calcRateOfChange, &Bar::roc, &Bar::rocPeriod, Rule::RocFilter};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.chosen) applyRoc(registry, name, result.chosen->spans[0], result.chosen->setting);
    return result;
}

OptimiserResult optimiseNdist(ProductRegistry& registry, std::string_view name, const OptimiserControl& control,
                              const SpanThresholdGrid& grid) {
    const SpanStudy kind{calcNormalDistribution, &Bar::ndist, &Bar::ndistPeriod, Rule::NdistFilter};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.chosen) applyNdist(registry, name, result.chosen->spans[0], result.chosen->setting);
    return result;
}

}  // namespace varkel
