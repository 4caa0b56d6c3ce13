#pragma once

#include "data/product_registry.h"
#include "model/trade_model.h"

#include <string_view>

namespace varkel {

// Re-applies the model to a copy of the named product's bars, back-tests it and
// stores every real bar's rolling 20-bar Sharpe ratio in its rolling20Ratio,
// with the positions and P&L (copyTradeColumns); the studies stay as they
// were. False, with the bars untouched, when the model's base index is not usable.
bool recomputeSharpeTransition(ProductRegistry& registry, std::string_view name,
                               const TradeModel& model);

}  // namespace varkel
