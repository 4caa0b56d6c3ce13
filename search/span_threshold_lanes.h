#pragma once

// The inner loop of the one-span searches (LREG, TSC, ROC, NDIST) for
// thresholds the position runs cannot take (filter thresholds either side of
// 0, whose sizes do not ascend): a few groups of eight thresholds at once, in
// the vector code the processor supports best.

#include "search/pnl_table.h"
#include "search/trial_lanes.h"
#include "search/window_sums.h"

#include <cstdint>

namespace varkel {

// How a study value turns into a position.
enum class SpanRule { Base, MagnitudeFilter, RocFilter, NdistFilter };

// What one span's trials read: the study value of every bar and, for the
// filters, the positions the bars held before the search.
struct SpanColumns {
    SpanRule rule;
    const double* values;
    const std::int8_t* saved;
};

// Final returns of groupsPerPass groups of eight thresholds (one per lane;
// `limit` their magnitudes); each bar's daily P&L also goes to
// `ledgerWindows` (a channel per group) when there is one.
void spanThresholdReturns(const PnlTable& table, const SpanColumns& columns,
                          const lanes::Doubles (&threshold)[lanes::groupsPerPass],
                          const lanes::Doubles (&limit)[lanes::groupsPerPass],
                          LaneWindowSums<lanes::groupsPerPass>* ledgerWindows,
                          lanes::Doubles (&sums)[lanes::groupsPerPass]);

}  // namespace varkel
