#pragma once

// The Keltner search's inner loop when it records a trial ledger: a few
// groups of eight band multipliers at once, in the vector code the processor
// supports best.

#include "search/pnl_table.h"
#include "search/trial_lanes.h"
#include "search/window_sums.h"

namespace varkel {

// The columns one (EMA span, ATR span) pair reads; bars up to `start` have no bands.
struct KeltnerColumns {
    const double* high;
    const double* low;
    const double* ema;
    const double* atr;
    int start;
};

// Final returns of groupsPerPass groups of eight multipliers (one per lane);
// each bar's daily P&L also goes to `ledgerWindows` (a channel per group)
// when there is one.
void keltnerReturns(const PnlTable& table, const KeltnerColumns& columns,
                    const lanes::Doubles (&multiplier)[lanes::groupsPerPass],
                    LaneWindowSums<lanes::groupsPerPass>* ledgerWindows, lanes::Doubles (&sums)[lanes::groupsPerPass]);

}  // namespace varkel
