#pragma once

#include "data/product_registry.h"

#include <string_view>

namespace varkel {

void calcRsi(ProductRegistry& registry, std::string_view name, int span);
void calcRateOfChange(ProductRegistry& registry, std::string_view name, int span);
void calcStochastics(ProductRegistry& registry, std::string_view name, int kSpan, int dSpan,
                     int slowDSpan);
// Slot 1 writes macdFast, slot 2 macdSlow.
void calcMacdAverage(ProductRegistry& registry, std::string_view name, int span, int slot);
// Reads the two MACD spans stored on the first bar, so it runs after both averages.
void calcMacdSignal(ProductRegistry& registry, std::string_view name, int signalSpan);

}  // namespace varkel
