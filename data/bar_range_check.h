#pragma once

#include "data/price_check.h"

#include <vector>

namespace varkel {

// The highs and lows of loaded bars beyond the usual (oldest first, without
// the next-day bar; `barLines[i]` is the file line of bars[i]):
// - AbsurdHighLow, a likely wrong price: a high above absurdRangeFactor times
//   the larger of the bar's open and close, or a low below the smaller one
//   divided by it;
// - AbsurdOpen, a likely wrong price: an open above absurdRangeFactor times
//   the larger of the close before it and the bar's own close, or below the
//   smaller one divided by it;
// - HighSpike / LowSpike, an unusual move: otherwise, a high (low) that
//   leaves the range of both neighbouring bars by more than spikeFactor times
//   the usual daily change around it, while the bar's close stays inside that
//   range (a close outside it is a move of the close, judged by checkBars).
std::vector<DataFinding> checkBarRanges(const std::vector<Bar>& bars, const std::vector<int>& barLines);

}  // namespace varkel
