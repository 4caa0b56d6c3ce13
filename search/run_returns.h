#pragma once

// Final returns of trials given as position runs: each trial's sum, in bar
// order, of its bar's table entry for (yesterday's position, today's), as the
// one-trial back-test adds them. A stretch of trials that shares both days'
// positions takes the same entry, added lane by lane in the vector code the
// processor supports best, a few bars per sweep over the sums. Trials that
// hold the same position on every bar are summed once.

#include "search/pnl_table.h"
#include "search/position_runs.h"
#include "search/window_sums.h"

namespace varkel {

// sums[0 .. trials-1], one bar of `runs` per bar of `table`; each trial's
// daily P&L also goes to `ledgerWindows` when there is one.
void runReturns(const PnlTable& table, const PositionRuns& runs, double* sums,
                TrialWindowSums* ledgerWindows = nullptr);

}  // namespace varkel
