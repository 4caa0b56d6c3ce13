#pragma once

// Trials that no bar's runs tell apart hold the same position on every bar,
// so they earn the same entries in the same order and the same sums, to the
// bit. A filter whose limits reach past every value its study takes has many
// such trials; each stretch of them is summed once.

#include "search/position_runs.h"

#include <vector>

namespace varkel {

class EqualTrials {
public:
    explicit EqualTrials(const PositionRuns& runs);

    // Whether summing each stretch of equal trials once saves a good share
    // of the adds: merging copies the runs, so it must pay for that.
    bool worthMerging() const { return worthMerging_; }
    // The runs with each stretch of equal trials as one trial.
    PositionRuns merged(const PositionRuns& runs) const;
    // values[0 .. distinct-1], one per distinct trial, spread in place to
    // values[0 .. trials-1].
    void spread(double* values) const;

private:
    // [trial] -> the distinct trial it equals; past the last trial, the
    // number of distinct trials.
    std::vector<int> distinctOf_;
    int distinct_ = 0;
    bool worthMerging_ = false;
};

}  // namespace varkel
