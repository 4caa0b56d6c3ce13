#pragma once

#include "data/product_registry.h"
#include "model/trade_model.h"

#include <string_view>

namespace varkel {

// Rebuilds a saved model's positions in the named product's bars: the base
// index's rule, then the second and third indexes as filters when they name a
// filter study. Returns whether the base kind was one a model can be built on
// (MACD, time series correlation, linear regression, stochastics, Keltner
// channels); when it was not, nothing is applied.
bool applySavedModel(ProductRegistry& registry, std::string_view name, const TradeModel& model);

}  // namespace varkel
