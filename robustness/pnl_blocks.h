#pragma once

#include "base/bar_window.h"

#include <vector>

namespace varkel {

// The smallest and largest number of blocks the overfitting statistics accept.
// The count must be even so that every split puts half the blocks on each side.
constexpr int minPnlBlocks = 4;
constexpr int maxPnlBlocks = 16;
constexpr int defaultPnlBlocks = 10;

bool isValidPnlBlockCount(int blockCount);

// Cuts the P&L bars 1 .. barCount-1 of a history of `barCount` bars into
// `blockCount` blocks of (nearly) equal length: block j is
// [1 + floor(j (barCount-1) / blockCount), 1 + floor((j+1) (barCount-1) / blockCount)).
// Empty when the count is refused (odd or outside 4 .. 16) or when there are
// fewer P&L bars than blocks, so that no block is ever empty.
std::vector<BarWindow> pnlBlocks(int barCount, int blockCount);

}  // namespace varkel
