#include "model/apply_operations.h"
#include "model/optimisers.h"
#include "model/parallel_search.h"
#include "model/pnl_table.h"
#include "model/study_scratch.h"
#include "studies/oscillators.h"
#include "studies/statistical_studies.h"

#include <cmath>
#include <cstdint>
#include <memory>
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
    std::vector<std::int8_t> positions;  // one row of n + 1 per threshold
    std::vector<const std::int8_t*> rows;
    std::vector<double> returns;
};

void rulePositions(Rule rule, const std::vector<double>& v, double threshold,
                   const std::vector<std::int8_t>& saved, int n, std::int8_t* row) {
    const double t = std::fabs(threshold);
    switch (rule) {
        case Rule::Base:
            row[0] = 0;
            for (int i = 0; i < n; ++i)
                row[i + 1] = static_cast<std::int8_t>(v[i] < -threshold ? -1 : (v[i] > threshold ? 1 : 0));
            break;
        case Rule::MagnitudeFilter:
            row[0] = saved[0];
            for (int i = 0; i < n; ++i) row[i + 1] = std::fabs(v[i]) < t ? 0 : saved[i + 1];
            break;
        case Rule::RocFilter:
            row[0] = saved[0];
            for (int i = 0; i < n; ++i) {
                const std::int8_t p = saved[i + 1];
                row[i + 1] = (p == 1 && v[i] < -t) || (p == -1 && v[i] > t) ? 0 : p;
            }
            break;
        case Rule::NdistFilter:
            row[0] = saved[0];
            for (int i = 0; i < n; ++i) row[i + 1] = v[i] < t ? 0 : saved[i + 1];
            break;
    }
}

// Searches span (outer) and threshold (inner). Returns the best span in span1
// and the threshold; the caller rebuilds the best trial into the bars.
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
    const int workers = workerCountFor(control);
    std::vector<SpanScratch> scratch(static_cast<std::size_t>(workers));
    for (auto& s : scratch) {
        s.study = std::make_unique<StudyScratch>(*product);
        s.positions.resize(static_cast<std::size_t>(thresholdCount) * (n + 1));
        s.returns.resize(thresholdCount);
        for (int k = 0; k < thresholdCount; ++k)
            s.rows.push_back(s.positions.data() + static_cast<std::size_t>(k) * (n + 1));
    }
    const std::int64_t total = static_cast<std::int64_t>(spanCount) * thresholdCount;

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
        for (int k = 0; k < thresholdCount; ++k)
            rulePositions(kind.rule, values, thresholds[k], saved, n, s.positions.data() + static_cast<std::size_t>(k) * (n + 1));
        table.finalReturns(s.rows.data(), thresholdCount, s.returns.data());
        ItemBest itemBest;
        for (int k = 0; k < thresholdCount; ++k) {
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
    result.span1 = grid.span.first + best.item;
    result.threshold = thresholds[best.trial];
    return result;
}

}  // namespace

OptimiserResult optimiseLreg(ProductRegistry& registry, std::string_view name, bool asFilter,
                             const OptimiserControl& control, const SpanThresholdGrid& grid) {
    const SpanStudy kind{calcLinearRegression, &Bar::lregSlope, &Bar::lregPeriod,
                         asFilter ? Rule::MagnitudeFilter : Rule::Base};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.span1 != -999) applyLreg(registry, name, result.span1, result.threshold, asFilter);
    return result;
}

OptimiserResult optimiseTsc(ProductRegistry& registry, std::string_view name, bool asFilter,
                            const OptimiserControl& control, const SpanThresholdGrid& grid) {
    const SpanStudy kind{calcTimeSeriesCorrelation, &Bar::tsc, &Bar::tscPeriod,
                         asFilter ? Rule::MagnitudeFilter : Rule::Base};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.span1 != -999) applyTsc(registry, name, result.span1, result.threshold, asFilter);
    return result;
}

OptimiserResult optimiseRoc(ProductRegistry& registry, std::string_view name, const OptimiserControl& control,
                            const SpanThresholdGrid& grid) {
    const SpanStudy kind{calcRateOfChange, &Bar::roc, &Bar::rocPeriod, Rule::RocFilter};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.span1 != -999) applyRoc(registry, name, result.span1, result.threshold);
    return result;
}

OptimiserResult optimiseNdist(ProductRegistry& registry, std::string_view name, const OptimiserControl& control,
                              const SpanThresholdGrid& grid) {
    const SpanStudy kind{calcNormalDistribution, &Bar::ndist, &Bar::ndistPeriod, Rule::NdistFilter};
    const OptimiserResult result = searchSpanThreshold(registry, name, kind, control, grid);
    if (result.span1 != -999) applyNdist(registry, name, result.span1, result.threshold);
    return result;
}

}  // namespace varkel
