#pragma once

#include "data/product_registry.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace varkel {

// The smallest span the studies accept (the rate of change accepts 1).
inline constexpr int minStudySpan = 3;

// The priced bars of the named product: every bar but the trailing next-day
// bar, which no study reads or writes. Empty when the name is empty, no product
// is found for it, or the product has no priced bar; a study then does nothing.
std::span<Bar> pricedBars(ProductRegistry& registry, std::string_view name);

// One field of every bar, oldest first, as a contiguous column.
std::vector<double> column(std::span<const Bar> bars, double Bar::*field);

// Writes result[i] and the span into every bar. An empty result (the history is
// too short for the window) writes nothing: the fields keep what they held.
void writeResult(std::span<Bar> bars, const std::vector<double>& result, int span,
                 double Bar::*value, std::int32_t Bar::*period);

}  // namespace varkel
