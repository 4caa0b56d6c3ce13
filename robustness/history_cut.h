#pragma once

#include "data/product_registry.h"

namespace varkel {

// A registry holding, under the product's own name and settings, the prices
// of its first `bars` bars and a fresh next-day bar: the product as if its
// price file ended after bar `bars` - 1 and had just been loaded.
ProductRegistry historyCutAt(const Product& product, int bars);

// The sum of the bars' daily P&L over [from, to), in bar order from 0.0, as
// the back-test left it; bar 0 earns nothing.
double dailyPnlSum(const Product& product, int from, int to);

}  // namespace varkel
