#pragma once

#include "data/product.h"

#include <vector>

namespace varkel {

// The price columns of a product's priced bars, copied once into contiguous
// arrays for the optimisers' inner loops.
struct PriceColumns {
    explicit PriceColumns(const Product& product);

    int n = 0;
    std::vector<double> open, high, low, close;
};

}  // namespace varkel
