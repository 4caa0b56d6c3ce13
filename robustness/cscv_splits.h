#pragma once

#include <cstdint>
#include <vector>

namespace varkel {

// The ways of choosing half of `blockCount` blocks as the in-sample part, as
// bit masks (bit j: block j is in sample), in lexicographic order of the
// ascending block lists: {0,1,2,..}, {0,1,..,h-2,h}, ... . Every complement of
// a split is itself a split, so the out-of-sample score of one split is the
// in-sample score of its complement.
std::vector<std::uint32_t> cscvSplits(int blockCount);

// For each split of cscvSplits(blockCount), the index of its complement.
std::vector<int> cscvComplements(const std::vector<std::uint32_t>& splits, int blockCount);

}  // namespace varkel
