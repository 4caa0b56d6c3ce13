#pragma once

#include "data/product_registry.h"
#include "model/layer.h"
#include "search/optimiser_control.h"
#include "search/optimiser_grid.h"

#include <optional>
#include <string_view>

namespace varkel {

// The best trial of a grid search: its parameters as the trial ledger records
// them (MACD: fast, slow, signal spans; stochastics: %K, %D, slow %D spans;
// Keltner: EMA span, ATR span, and the band multiplier as the setting; LREG,
// TSC, ROC, NDIST: span and threshold; places a kind does not use hold nothingChosenSpan)
// and its final return. Nothing chosen when the search was cancelled or no
// trial beat searchStartReturn.
struct OptimiserResult {
    std::optional<LayerParameters> chosen;
    double bestReturn = searchStartReturn;
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
