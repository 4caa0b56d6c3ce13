#include "robustness/cscv_splits.h"

namespace varkel {

namespace {

void collect(int blockCount, int half, int firstBlock, std::uint32_t mask, int chosen,
             std::vector<std::uint32_t>& splits) {
    if (chosen == half) {
        splits.push_back(mask);
        return;
    }
    for (int block = firstBlock; block <= blockCount - (half - chosen); ++block)
        collect(blockCount, half, block + 1, mask | (1u << block), chosen + 1, splits);
}

}  // namespace

std::vector<std::uint32_t> cscvSplits(int blockCount) {
    std::vector<std::uint32_t> splits;
    if (blockCount < 2 || blockCount > 31 || blockCount % 2 != 0) return splits;
    collect(blockCount, blockCount / 2, 0, 0u, 0, splits);
    return splits;
}

std::vector<int> cscvComplements(const std::vector<std::uint32_t>& splits, int blockCount) {
    const std::uint32_t all = (1u << blockCount) - 1u;
    std::vector<int> indexOfMask(std::size_t{1} << blockCount, -1);
    for (std::size_t i = 0; i < splits.size(); ++i) indexOfMask[splits[i]] = static_cast<int>(i);
    std::vector<int> complements(splits.size(), -1);
    for (std::size_t i = 0; i < splits.size(); ++i) complements[i] = indexOfMask[all & ~splits[i]];
    return complements;
}

}  // namespace varkel
