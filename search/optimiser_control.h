#pragma once

#include "base/work_control.h"

namespace varkel {

class SpanStudyColumns;
class TrialLedger;
struct SearchStageTimes;

// A search keeps a trial only when its return beats this start value, as the
// classic builder always has; a grid whose trials all stay at or below it
// (or are not numbers) chooses nothing.
constexpr double searchStartReturn = -999999.0;

// How an optimiser runs: on how many threads (0: one per core), whom it tells
// about progress (trials done of the layer's total), what it watches for a
// request to stop (checked between trials; a stopped optimiser reports itself
// cancelled without touching the bars), and where it records its trials.
struct OptimiserControl : WorkControl {
    // When set, the search also records every trial it tries into this ledger
    // (trial_ledger.h); its own result stays the same.
    TrialLedger* ledger = nullptr;
    // When set, the full-grid searches (MACD, stochastics, Keltner) add the
    // processor time of each of their stages to it (stage_times.h).
    SearchStageTimes* stageTimes = nullptr;
    // When set, the one-span searches read their study columns from it
    // instead of computing them; they must be the columns of the history
    // searched (any positions on its bars aside).
    const SpanStudyColumns* spanStudies = nullptr;
};

}  // namespace varkel
