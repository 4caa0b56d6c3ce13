#pragma once

#include "data/product_registry.h"
#include "model/optimisers.h"
#include "model/strategy_builder.h"
#include "model/trade_model.h"
#include "model/trial_ledger.h"

#include <string_view>

namespace varkel {

// One layer of a build: layer 1 searches the base kind (MACD 5, TSC 8,
// LREG 10, stochastics 12, Keltner 13), layers 2 and 3 the filter kind
// (TSC 8, ROC 9, LREG 10, NDIST 11) over the positions the bars hold.
OptimiserResult searchLayer(ProductRegistry& registry, std::string_view name, int layer, int kind,
                            const OptimiserControl& control, const BuildGrids& grids);

// Puts a layer's chosen trial into the model as the builder stores it.
void storeLayer(TradeModel& model, int layer, int kind, const TrialParameters& chosen);

TrialParameters parametersOf(const OptimiserResult& result);

// The longest span any trial of the base kind's grid reads. Whether a trial
// can be computed depends on the history only through spans no longer than
// this, so on every history longer than it the same trials are tried.
int longestBaseSpan(int kind, const BuildGrids& grids);

}  // namespace varkel
