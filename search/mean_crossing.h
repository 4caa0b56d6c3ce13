#pragma once

// The rule shared by MACD and stochastics: each day's position follows the
// sign of a series minus the mean of its last `span` values (long above, short
// below, flat when equal), once the bar lies past a lane's warm-up. Eight
// series run side by side, one per lane, in the vector code the processor
// supports best.

#include "search/pnl_table.h"
#include "search/trial_lanes.h"
#include "search/window_sums.h"

#include <vector>

namespace varkel {

constexpr int spansPerPass = 4;

struct LaneSeries {
    std::vector<lanes::Doubles> values;
    // windowSums[j] = values[j] + ... + values[j + length - 1], summed oldest
    // first, for the windows that start at firstStart or later.
    std::vector<lanes::Doubles> windowSums;
    int length = 0;
    int firstStart = 0;
    // The largest size of each lane's values (NaN when a lane holds NaN).
    lanes::Doubles largest;

    void resize(int n);
    // Once the values are set: empties the window sums for windows from
    // `start` on and measures each lane's largest value.
    void restartWindows(int start);
    // Grows every window to `newLength` bars.
    void growWindows(int newLength);
};

// Final returns of spans span .. span + spans - 1 (spans = 1 .. 4) for the
// eight lanes, in one pass over the bars: sums[p] for span + p, zero past the
// last span (a grid's last pass takes only the spans it has left, a pass of
// fewer spans costing less). A lane's bar k decides bar k+1's position once
// k > warmUp + span (warmUp per lane, smallestWarmUp the least of them). The
// daily P&L of span + p also goes to channel p of `ledgerWindows` when there
// is one (zero in the channels past the last span).
//
// The windows grow to `span` first when they are shorter, and the pass leaves
// them grown to span + spans, ready for the next spans: passes over one series
// take ascending spans with the same warm-ups, without another restart.
void meanCrossingReturns(const PnlTable& table, LaneSeries& series, const lanes::Ints& warmUp,
                         int smallestWarmUp, int span, int spans, lanes::Doubles (&sums)[spansPerPass],
                         LaneWindowSums<spansPerPass>* ledgerWindows);

}  // namespace varkel
