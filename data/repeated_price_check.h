#pragma once

#include "data/price_check.h"

#include <vector>

namespace varkel {

// The bars that carry a flagged neighbour's wrong price on: a bar next to a
// bar flagged for its close (a spike) or for an absurd high or low, whose
// open, high or low is that very price while the price is absurd against the
// bar's own close (beyond absurdRangeFactor). A close of 543.09 among closes
// near 93 followed by a bar opening at 543.09 is one error on two bars; both
// are flagged so that one fix offers both. `flagged` are the findings about
// the bars so far (oldest first, without the next-day bar; `barLines[i]` is
// the file line of bars[i]).
std::vector<DataFinding> checkRepeatedWrongPrices(const std::vector<Bar>& bars, const std::vector<int>& barLines,
                                                  const std::vector<DataFinding>& flagged);

}  // namespace varkel
