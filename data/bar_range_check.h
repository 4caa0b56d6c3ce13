#pragma once

#include "data/price_check.h"

#include <vector>

namespace varkel {

// A high or low beyond this multiple of the bar's own open and close (a low
// below two thirds of them) is no day's trading in a currency pair.
inline constexpr double absurdRangeFactor = 1.5;

// The highs and lows of loaded bars that no market made (oldest first,
// without the next-day bar; `barLines[i]` is the file line of bars[i]):
// - AbsurdHighLow: a high above absurdRangeFactor times the larger of the
//   bar's open and close, or a low below the smaller one divided by it;
// - HighSpike / LowSpike: otherwise, a high (low) that leaves the range of
//   both neighbouring bars by more than PriceCheck::spikeFactor times the
//   usual daily change around it, while the bar's close stays inside that
//   range (a close outside it is the close spike's finding).
std::vector<DataFinding> checkBarRanges(const std::vector<Bar>& bars, const std::vector<int>& barLines);

}  // namespace varkel
