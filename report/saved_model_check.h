#pragma once

#include "data/product.h"
#include "model/trade_model.h"

#include <optional>
#include <string>

namespace varkel {

// Why a model read from a file cannot be applied to the product's history, or
// nullopt when it can: every span its indexes use must lie between the smallest
// span the study accepts (from the study catalogue) and the number of priced
// bars, every threshold it uses must be a finite number, and a Keltner
// multiplier must not be negative.
// Otherwise the studies would quietly compute nothing and the signal would read
// "No Action". A model whose base is not one a model is built on is left to the
// caller. "The trade model's MACD slow span 2147483647 exceeds the 4,666 bars of
// USD/JPY".
std::optional<std::string> savedModelFault(const TradeModel& model, const Product& product);

// What the windows say instead of opening when the product has no saved model:
// "No trade model for USD/JPY: build one first".
std::string noTradeModelMessage(std::string_view productName);

}  // namespace varkel
