#pragma once

#include "data/product_registry.h"
#include "model/transition_code.h"

#include <string_view>

namespace varkel {

// Turns the positions of the named product's bars into money. With N real bars
// (the trailing next-day bar excluded), writes dailyPnl of bars 1 .. N-1 and
// cumulativePnl of bars 0 .. N-1. Entries and exits are filled at the day's open
// moved 20 pips against the trader; an open position is valued at the close; a
// reversal is an exit and an entry at the same filled price. Does nothing for an
// unknown product or fewer than two real bars.
void runBacktest(ProductRegistry& registry, std::string_view name);

// The cumulativePnl of the last real bar as it stands (callers run the back-test
// first); 0.0 for an unknown product or one without real bars.
double finalReturn(const ProductRegistry& registry, std::string_view name);

// The change from the last real day's position to the next trading day's.
// Unavailable for an unknown product or one without bars; NoAction when only the
// next-day bar exists.
TransitionCode classifyTransition(const ProductRegistry& registry, std::string_view name);

}  // namespace varkel
