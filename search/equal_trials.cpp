#include "search/equal_trials.h"

#include <cstdint>

namespace varkel {

EqualTrials::EqualTrials(const PositionRuns& runs) : distinctOf_(static_cast<std::size_t>(runs.trials()) + 1, 0) {
    int current = -1;
    for (int t = 0; t < runs.trials(); ++t) {
        current += (t == 0 || runs.startsRun(t)) ? 1 : 0;
        distinctOf_[static_cast<std::size_t>(t)] = current;
    }
    distinct_ = current + 1;
    distinctOf_.back() = distinct_;
    // Not when hardly any trials are equal: that saves the look at the runs.
    if (8 * (runs.trials() - distinct_) < runs.trials()) return;
    // The adds that matter are those of trials in a position; a trial flat on
    // both days costs next to nothing. Merge when they shrink by an eighth,
    // as counted on every eighth bar (the share is all the choice needs).
    std::int64_t adds = 0, mergedAdds = 0;
    for (int bar = 0; bar < runs.bars(); bar += 8)
        for (const PositionRun* run = runs.begin(bar); run != runs.end(bar); ++run) {
            const int moving = run->position != 0 ? 1 : 0;
            adds += moving * (run->end - run->first);
            mergedAdds += moving * (distinctOf_[static_cast<std::size_t>(run->end)] -
                                    distinctOf_[static_cast<std::size_t>(run->first)]);
        }
    worthMerging_ = adds > 0 && 8 * (adds - mergedAdds) >= adds;
}

PositionRuns EqualTrials::merged(const PositionRuns& runs) const { return runs.renumbered(distinctOf_, distinct_); }

void EqualTrials::spread(double* values) const {
    // Downwards: a trial's distinct trial is never above it, so it is read
    // before it can be overwritten.
    for (std::size_t t = distinctOf_.size() - 1; t-- > 0;) values[t] = values[distinctOf_[t]];
}

}  // namespace varkel
