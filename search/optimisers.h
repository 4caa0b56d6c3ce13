#pragma once

#include "data/product_registry.h"
#include "search/optimiser_control.h"
#include "search/optimiser_grid.h"

#include <string_view>

namespace varkel {

// The best trial of a grid search. The spans and threshold keep -999 / -999.0
// when no trial beat the start value of -999999.0.
// MACD: fast, slow, signal spans. Stochastics: %K, %D, slow %D spans.
// Keltner: EMA span, ATR span, and the band multiplier in `threshold`.
// LREG, TSC, ROC, NDIST: span and threshold.
struct OptimiserResult {
    double bestReturn = -999999.0;
    int span1 = -999;
    int span2 = -999;
    int span3 = -999;
    double threshold = -999.0;
    bool cancelled = false;
};

// Each optimiser tries every point of its grid (outer loop first), keeps the
// first trial whose final return is strictly the best, and then rebuilds that
// trial into the bars: the study values and the positions of the best trial.
// A trial whose study cannot be computed on this history (a span longer than
// the history allows) is not tried. A cancelled search leaves the bars as they were.
// Filters work on the positions the bars hold when the optimiser starts.
OptimiserResult optimiseMacd(ProductRegistry& registry, std::string_view name,
                             const OptimiserControl& control = {}, const MacdGrid& grid = {});
OptimiserResult optimiseStochastics(ProductRegistry& registry, std::string_view name,
                                    const OptimiserControl& control = {},
                                    const StochasticsGrid& grid = {});
OptimiserResult optimiseKeltner(ProductRegistry& registry, std::string_view name,
                                const OptimiserControl& control = {}, const KeltnerGrid& grid = {});
OptimiserResult optimiseLreg(ProductRegistry& registry, std::string_view name, bool asFilter,
                             const OptimiserControl& control = {},
                             const SpanThresholdGrid& grid = lregGrid());
OptimiserResult optimiseTsc(ProductRegistry& registry, std::string_view name, bool asFilter,
                            const OptimiserControl& control = {},
                            const SpanThresholdGrid& grid = tscGrid());
OptimiserResult optimiseRoc(ProductRegistry& registry, std::string_view name,
                            const OptimiserControl& control = {},
                            const SpanThresholdGrid& grid = rocGrid());
OptimiserResult optimiseNdist(ProductRegistry& registry, std::string_view name,
                              const OptimiserControl& control = {},
                              const SpanThresholdGrid& grid = ndistGrid());

}  // namespace varkel
