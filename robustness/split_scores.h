#pragma once

namespace varkel {

// Trials are scored a tile at a time: the tile's block sums are laid out
// block by block (`columns`, blockCount rows of tileTrials values), so that
// each score is a plain vectorisable sum over a row of trials.
constexpr int cscvTileTrials = 256;

// Calls leaf(split, scores) for every split of cscvSplits(blockCount), in that
// order, with the scores of the tile's first `trialCount` trials: the sum of
// the split's blocks in ascending block order, starting from 0.0. Splits that
// share their first blocks share the partial sums (`partial` holds
// blockCount / 2 + 1 rows of tileTrials values; its first row must be zero).
template <class Leaf>
class SplitScorer {
public:
    SplitScorer(const double* columns, int trialCount, int blockCount, double* partial, Leaf& leaf)
        : columns_(columns), trialCount_(trialCount), blockCount_(blockCount), half_(blockCount / 2),
          partial_(partial), leaf_(leaf) {}

    void run() {
        split_ = 0;
        extend(0, 0);
    }

private:
    void extend(int depth, int firstBlock) {
        const double* __restrict parent = partial_ + depth * cscvTileTrials;
        double* __restrict child = partial_ + (depth + 1) * cscvTileTrials;
        for (int block = firstBlock; block <= blockCount_ - half_ + depth; ++block) {
            const double* __restrict column = columns_ + block * cscvTileTrials;
            for (int t = 0; t < trialCount_; ++t) child[t] = parent[t] + column[t];
            if (depth + 1 == half_)
                leaf_(split_++, static_cast<const double*>(child));
            else
                extend(depth + 1, block + 1);
        }
    }

    const double* columns_;
    int trialCount_;
    int blockCount_;
    int half_;
    double* partial_;
    Leaf& leaf_;
    int split_ = 0;
};

}  // namespace varkel
