// Scores of every split for one tile of trials, in the vector code of one
// target. Included once per target (see search/trial_lanes-inl.h).

#if defined(VARKEL_ROBUSTNESS_SPLIT_SCORES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VARKEL_ROBUSTNESS_SPLIT_SCORES_INL_H_
#undef VARKEL_ROBUSTNESS_SPLIT_SCORES_INL_H_
#else
#define VARKEL_ROBUSTNESS_SPLIT_SCORES_INL_H_
#endif

#include "robustness/split_scores.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// to[t] = from[t] + column[t] for the tile's trials (whole vectors; the rows
// are cscvTileTrials long, so the last vector stays inside them).
HWY_INLINE void addRow(const double* HWY_RESTRICT from, const double* HWY_RESTRICT column, double* HWY_RESTRICT to,
                       int trialCount) {
    const hn::ScalableTag<double> d;
    const int step = static_cast<int>(hn::Lanes(d));
    for (int t = 0; t < trialCount; t += step)
        hn::StoreU(hn::Add(hn::LoadU(d, from + t), hn::LoadU(d, column + t)), d, to + t);
}

// Calls leaf.group<G>(firstSplit, partial, firstColumn) for every split of
// cscvSplits(blockCount), in that order, G splits at a time (1 to 4): the
// scores of split firstSplit + k for the tile's first `trialCount` trials are
// partial[t] + column k [t] (the columns lie cscvTileTrials apart from
// firstColumn on), the sum of the split's blocks in ascending block order,
// starting from 0.0. The leaf adds the last block itself as it reads the
// scores, so they are never stored and read back, and the group's splits
// share each load of `partial` in one pass over the trials (their thresholds
// and tallies stay in registers). Splits that share their first blocks share
// the partial sums (`partial` holds blockCount / 2 rows of tileTrials values;
// its first row must be zero).
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
        const double* parent = partial_ + depth * cscvTileTrials;
        const int lastBlock = blockCount_ - half_ + depth;
        if (depth + 1 == half_) {
            int block = firstBlock;
            for (; block + 4 <= lastBlock + 1; block += 4) group<4>(parent, block);
            switch (lastBlock + 1 - block) {
                case 3: return group<3>(parent, block);
                case 2: return group<2>(parent, block);
                case 1: return group<1>(parent, block);
                default: return;
            }
        }
        double* child = partial_ + (depth + 1) * cscvTileTrials;
        for (int block = firstBlock; block <= lastBlock; ++block) {
            addRow(parent, columns_ + block * cscvTileTrials, child, trialCount_);
            extend(depth + 1, block + 1);
        }
    }

    template <int Group>
    void group(const double* parent, int firstBlock) {
        leaf_.template group<Group>(split_, parent, columns_ + firstBlock * cscvTileTrials);
        split_ += Group;
    }

    const double* columns_;
    int trialCount_;
    int blockCount_;
    int half_;
    double* partial_;
    Leaf& leaf_;
    int split_ = 0;
};

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
