#include "robustness/pnl_blocks.h"

#include <cstdint>

namespace varkel {

bool isValidPnlBlockCount(int blockCount) {
    return blockCount >= minPnlBlocks && blockCount <= maxPnlBlocks && blockCount % 2 == 0;
}

std::vector<BarWindow> pnlBlocks(int barCount, int blockCount) {
    std::vector<BarWindow> blocks;
    if (!isValidPnlBlockCount(blockCount)) return blocks;
    const std::int64_t pnlBars = static_cast<std::int64_t>(barCount) - 1;
    if (pnlBars < blockCount) return blocks;
    blocks.reserve(static_cast<std::size_t>(blockCount));
    for (int j = 0; j < blockCount; ++j) {
        const auto from = 1 + j * pnlBars / blockCount;
        const auto to = 1 + (j + 1) * pnlBars / blockCount;
        blocks.push_back({static_cast<int>(from), static_cast<int>(to)});
    }
    return blocks;
}

}  // namespace varkel
