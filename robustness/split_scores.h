#pragma once

#include <cstdint>
#include <limits>

namespace varkel {

// Trials are scored a tile at a time: the tile's block sums are laid out
// block by block (`columns`, blockCount rows of tileTrials values), so that
// each score is a plain vector sum over a row of trials
// (split_scores-inl.h adds them in the vector code of each target).
constexpr int cscvTileTrials = 256;

// The first strictly best trial of one split seen so far.
struct SplitBest {
    double score = -std::numeric_limits<double>::infinity();
    std::int64_t trial = -1;
};

}  // namespace varkel
