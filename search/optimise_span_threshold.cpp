#include "model/apply_operations.h"
#include "search/optimisers.h"
#include "search/parallel_search.h"
#include "search/pnl_table.h"
#include "search/run_returns.h"
#include "search/setting_runs.h"
#include "search/span_study_columns.h"
#include "search/span_threshold_lanes.h"
#include "search/trial_lanes.h"
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
struct SpanSearch {
    SpanStudy study;
    SpanRule rule;
};

struct SpanScratch {
    std::unique_ptr<StudyScratch> study;
    std::vector<double> values;
    std::vector<double> returns;
    std::optional<LaneWindowSums<lanes::groupsPerPass>> windows;
    std::optional<PositionRuns> runs;
    std::optional<TrialWindowSums> trialWindows;
};

// Searches span (outer) and threshold (inner). Returns the best span in span1
// and the threshold; the caller rebuilds the best trial into the bars.
OptimiserResult searchSpanThreshold(ProductRegistry& registry, std::string_view name, const SpanSearch& kind,
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
    constexpr int passWidth = lanes::groupsPerPass * lanes::width;
    const int workers = workerCountFor(control, spanCount);
    const std::int64_t total = static_cast<std::int64_t>(spanCount) * thresholdCount;
    const SearchRecording recording(control.ledger, n, static_cast<std::size_t>(total));
    std::vector<SpanScratch> scratch(static_cast<std::size_t>(workers));
    // Ascending settings take the position runs, others the lane kernel.
    std::vector<double> limits;
    for (const double threshold : thresholds) limits.push_back(std::fabs(threshold));
    const bool byRuns = settingsAscend(kind.rule == SpanRule::Base ? thresholds : limits);
    for (auto& s : scratch) {
        if (byRuns) {
            s.runs.emplace(thresholdCount);
            s.trialWindows = recording.trialWindowSums(thresholdCount);
        } else {
            s.windows = recording.windowSums<lanes::groupsPerPass>();
        }
        if (control.spanStudies == nullptr) s.study = std::make_unique<StudyScratch>(*product);
        s.returns.resize(static_cast<std::size_t>(thresholdCount) + passWidth);
    }

    const SearchBest best = runParallelSearch(spanCount, total, control, workers, [&](int item, int worker, std::int64_t& trials) {
        SpanScratch& s = scratch[worker];
        const int span = grid.span.first + item;
        trials = thresholdCount;
        // A span the computation refuses on this history is not tried: its
        // trials would only see values left over from another span.
        const std::vector<double>* values = &s.values;
        if (control.spanStudies != nullptr)
            values = control.spanStudies->column(kind.study, span);
        else if (!computeSpanStudy(*s.study, kind.study, span, s.values))
            values = nullptr;
        if (values == nullptr) return ItemBest{};
        const SpanColumns columns{kind.rule, values->data(), saved.data()};
        if (byRuns) {
            spanThresholdRuns(columns, thresholds, limits, n, *s.runs);
            runReturns(table, *s.runs, s.returns.data(), s.trialWindows ? &*s.trialWindows : nullptr);
            for (int k = 0; s.trialWindows && k < thresholdCount; ++k)
                s.trialWindows->record(recording.ledger(), static_cast<std::size_t>(item) * thresholdCount + k, k,
                                       {{span, nothingChosenSpan, nothingChosenSpan}, thresholds[k]}, s.returns[k]);
        }
        for (int first = 0; !byRuns && first < thresholdCount; first += passWidth) {
            // The last pass repeats the last threshold in its spare lanes.
            lanes::Doubles threshold[lanes::groupsPerPass], limit[lanes::groupsPerPass];
            for (int k = 0; k < passWidth; ++k) {
                threshold[k / lanes::width][k % lanes::width] = thresholds[std::min(first + k, thresholdCount - 1)];
                limit[k / lanes::width][k % lanes::width] = limits[std::min(first + k, thresholdCount - 1)];
            }
            lanes::Doubles returns[lanes::groupsPerPass];
            spanThresholdReturns(table, columns, threshold, limit, s.windows ? &*s.windows : nullptr, returns);
            for (int k = 0; k < passWidth; ++k) s.returns[first + k] = returns[k / lanes::width][k % lanes::width];
            for (int k = 0; s.windows && k < passWidth && first + k < thresholdCount; ++k)
                s.windows->record(recording.ledger(), static_cast<std::size_t>(item) * thresholdCount + first + k,
                                  k / lanes::width, k % lanes::width, {{span, nothingChosenSpan, nothingChosenSpan}, thresholds[first + k]},
                                  returns[k / lanes::width][k % lanes::width]);
        }
        return firstBestOf(s.returns.data(), thresholdCount);
    });

    recording.finish(!best.cancelled);
    result.cancelled = best.cancelled;
    if (!best.chosen) return result;
    result.chosen = LayerParameters{{grid.span.first + best.chosen->item, nothingChosenSpan, nothingChosenSpan}, thresholds[best.chosen->trial]};
    result.bestReturn = best.chosen->bestReturn;
    return result;
}

}  // namespace

OptimiserResult optimiseLreg(ProductRegistry& registry, std::string_view name, bool asFilter,
                             const OptimiserControl& control, const SpanThresholdGrid& grid) {
    const SpanSearch kind{{StudyKind::LinearRegression, calcLinearRegression, &Bar::lregSlope, &Bar::lregPeriod},
                         asFilter ? SpanRule::MagnitudeFilter : SpanRule::Base};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.chosen) applyLreg(registry, name, result.chosen->spans[0], result.chosen->setting, asFilter);
    return result;
}

OptimiserResult optimiseTsc(ProductRegistry& registry, std::string_view name, bool asFilter,
                            const OptimiserControl& control, const SpanThresholdGrid& grid) {
    const SpanSearch kind{{StudyKind::TimeSeriesCorrelation, calcTimeSeriesCorrelation, &Bar::tsc, &Bar::tscPeriod},
                         asFilter ? SpanRule::MagnitudeFilter : SpanRule::Base};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.chosen) applyTsc(registry, name, result.chosen->spans[0], result.chosen->setting, asFilter);
    return result;
}

OptimiserResult optimiseRoc(ProductRegistry& registry, std::string_view name, const OptimiserControl& control,
                            const SpanThresholdGrid& grid) {
    const SpanSearch kind{{StudyKind::RateOfChange, calcRateOfChange, &Bar::roc, &Bar::rocPeriod}, SpanRule::RocFilter};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.chosen) applyRoc(registry, name, result.chosen->spans[0], result.chosen->setting);
    return result;
}

OptimiserResult optimiseNdist(ProductRegistry& registry, std::string_view name, const OptimiserControl& control,
                              const SpanThresholdGrid& grid) {
    const SpanSearch kind{{StudyKind::NormalDistribution, calcNormalDistribution, &Bar::ndist, &Bar::ndistPeriod}, SpanRule::NdistFilter};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.chosen) applyNdist(registry, name, result.chosen->spans[0], result.chosen->setting);
    return result;
}

}  // namespace varkel
