#pragma once

#include "data/product_registry.h"

#include <string_view>
#include <vector>

namespace varkel {

// Every study computation works on the first barCount()-1 bars of the named
// product (the trailing next-day bar is never touched), recomputes the whole
// history and does nothing at all on a bad argument (unknown product, no
// priced bars, a span below the study's minimum).

// Simple moving average of the close; slot 1 writes maShort, slot 2 maLong.
void calcMovingAverage(ProductRegistry& registry, std::string_view name, int span, int slot);
void calcTrueRange(ProductRegistry& registry, std::string_view name);
void calcAtr(ProductRegistry& registry, std::string_view name, int span);
// The ATR column calcAtr writes, bar by bar, for every span from firstSpan to
// lastSpan (each at least minStudySpan), from one true-range pass and window
// sums the spans share; it writes the true range into the bars. Empty for a
// product without priced bars.
std::vector<std::vector<double>> atrColumns(ProductRegistry& registry, std::string_view name, int firstSpan,
                                            int lastSpan);
void calcEma(ProductRegistry& registry, std::string_view name, int span);
void calcKeltner(ProductRegistry& registry, std::string_view name, int atrSpan, int emaSpan,
                 double multiplier);

}  // namespace varkel
