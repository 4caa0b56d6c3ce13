#pragma once

#include "data/product_registry.h"

#include <string_view>

namespace varkel {

void calcTimeSeriesCorrelation(ProductRegistry& registry, std::string_view name, int span);
void calcLinearRegression(ProductRegistry& registry, std::string_view name, int span);
void calcNormalDistribution(ProductRegistry& registry, std::string_view name, int span);

}  // namespace varkel
