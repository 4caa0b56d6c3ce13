#pragma once

#include "data/product_registry.h"
#include "model/optimiser_grid.h"
#include "model/optimisers.h"
#include "model/trade_model.h"
#include "model/trial_ledger.h"

#include <string_view>

namespace varkel {

// One layer of a build: layer 1 searches the base kind (MACD, TSC, LREG,
// stochastics, Keltner), layers 2 and 3 the filter kind (TSC, ROC, LREG,
// NDIST) over the positions the bars hold.
OptimiserResult searchLayer(ProductRegistry& registry, std::string_view name, int layer, StudyKind kind,
                            const OptimiserControl& control, const BuildGrids& grids);

// Puts a layer's chosen trial into the model as the builder stores it.
void storeLayer(TradeModel& model, int layer, StudyKind kind, const TrialParameters& chosen);

TrialParameters parametersOf(const OptimiserResult& result);

// The longest span any trial of the base kind's grid reads. Whether a trial
// can be computed depends on the history only through spans no longer than
// this, so on every history longer than it the same trials are tried.
int longestBaseSpan(StudyKind kind, const BuildGrids& grids);

}  // namespace varkel
