#pragma once

// The position runs of the one-setting searches (Keltner band multipliers,
// the one-span studies' thresholds), bar by bar, for settings in ascending
// order: each rule's tests are monotone in the setting, so a bar's positions
// change only where a test flips, and those few trials are found by search.
// Every position is still read from the rule itself, at the first trial of
// each run.

#include "search/position_runs.h"
#include "search/span_threshold_lanes.h"

#include <vector>

namespace varkel {

// The columns one Keltner (EMA span, ATR span) pair reads; bars up to
// `start` have no bands.
struct KeltnerColumns {
    const double* high;
    const double* low;
    const double* ema;
    const double* atr;
    int start;
};

// True when the settings ascend and are all finite: the runs need it.
bool settingsAscend(const std::vector<double>& settings);

// Bars 0 .. n-1 of the multipliers' Keltner positions.
void keltnerRuns(const KeltnerColumns& columns, const std::vector<double>& multipliers, int n, PositionRuns& runs);

// Bars 0 .. n-1 of the span rule's positions: the base rule reads the
// thresholds, the filters their magnitudes, `limits`.
void spanThresholdRuns(const SpanColumns& columns, const std::vector<double>& thresholds,
                       const std::vector<double>& limits, int n, PositionRuns& runs);

}  // namespace varkel
