#pragma once

#include "data/product_registry.h"
#include "model/layer.h"
#include "model/trade_model.h"

#include <string_view>

namespace varkel {

// Builds one layer into the named product's bars with the apply operations: as
// the base index (its rule decides each day's position) or as a filter on the
// positions the bars hold. False, with nothing applied, when the kind cannot
// stand in that place (a filter study as the base, a base-only study as a
// filter, a number that names no study).
bool applyLayer(ProductRegistry& registry, std::string_view name, const Layer& layer, bool asFilter);

// Rebuilds a saved model's positions in the named product's bars: the base
// index's rule, then the second and third indexes as filters when they name a
// filter study. Returns whether the base kind was one a model can be built on
// (MACD, time series correlation, linear regression, stochastics, Keltner
// channels); when it was not, nothing is applied.
bool applySavedModel(ProductRegistry& registry, std::string_view name, const TradeModel& model);

}  // namespace varkel
