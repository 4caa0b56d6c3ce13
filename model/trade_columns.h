#pragma once

#include "data/product.h"

namespace varkel {

// Applying a trade model (a build's search, a signal, a performance view)
// rewrites every study field the model uses. That work runs on a copy of the
// registry, so that the charts keep the studies their titles name; only what
// the model itself produces comes back: each day's position, its daily and
// accumulated P&L and its rolling Sharpe ratio. Both products hold the same
// bars.
void copyTradeColumns(const Product& from, Product& to);

}  // namespace varkel
