#include "search/equal_trials.h"

namespace varkel {

EqualTrials::EqualTrials(const PositionRuns& runs) : distinctOf_(static_cast<std::size_t>(runs.trials()), 0) {
    int current = -1;
    for (int t = 0; t < runs.trials(); ++t) {
        current += (t == 0 || runs.startsRun(t)) ? 1 : 0;
        distinctOf_[static_cast<std::size_t>(t)] = current;
    }
    distinct_ = current + 1;
    const auto [first, past] = runs.movingTrials();
    if (past - first < 2) return;
    const int saved = (past - first) - (distinctOf_[static_cast<std::size_t>(past - 1)] -
                                        distinctOf_[static_cast<std::size_t>(first)] + 1);
    worthMerging_ = 8 * saved >= past - first;
}

PositionRuns EqualTrials::merged(const PositionRuns& runs) const { return runs.renumbered(distinctOf_, distinct_); }

void EqualTrials::spread(double* values) const {
    // Downwards: a trial's distinct trial is never above it, so it is read
    // before it can be overwritten.
    for (std::size_t t = distinctOf_.size(); t-- > 0;) values[t] = values[distinctOf_[t]];
}

}  // namespace varkel
