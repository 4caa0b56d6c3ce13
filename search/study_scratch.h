#pragma once

#include "data/product_registry.h"

#include <string>
#include <vector>

namespace varkel {

// A private copy of a product. The optimisers compute the per-span study
// columns with the very study computations the user runs, but on this copy,
// so the user's bars stay untouched until the best trial is rebuilt.
class StudyScratch {
public:
    explicit StudyScratch(const Product& product);

    ProductRegistry registry;
    const std::string name;

    Product& product() { return *registry.findProduct(name); }
    // The field of every priced bar, oldest first.
    std::vector<double> column(double Bar::*field);
    // Whether the last computation wrote its span into the first bar's period
    // field (computations that cannot run on this history write nothing).
    bool computed(std::int32_t Bar::*period, int span);
    void clearPeriod(std::int32_t Bar::*period);
};

}  // namespace varkel
