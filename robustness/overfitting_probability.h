#pragma once

#include "base/work_control.h"

#include <cstdint>
#include <vector>

namespace varkel {

// The probability of backtest overfitting of one search, estimated by
// combinatorially symmetric cross-validation over its trials' block sums.
struct PboResult {
    bool valid = false;      // false when the input was refused or the run cancelled
    bool cancelled = false;
    int blockCount = 0;
    int splitCount = 0;      // C(blockCount, blockCount / 2)
    std::int64_t trialCount = 0;

    double pbo = 0.0;                         // share of splits with logit <= 0
    double medianLogit = 0.0;                 // mean of the two middle logits
    double outOfSampleLossProbability = 0.0;  // share of splits whose chosen trial loses out of sample
    double degradationSlope = 0.0;            // least-squares slope of out-of-sample on in-sample score; NaN when every in-sample score is the same

    // One entry per split, in the order of cscvSplits(blockCount): the trial
    // chosen in sample, its in-sample and out-of-sample scores, and the logit
    // of its out-of-sample rank.
    std::vector<std::int64_t> chosenTrials;
    std::vector<double> inSampleScores;
    std::vector<double> outOfSampleScores;
    std::vector<double> logits;
};

// `blockSums` holds trialCount rows of blockCount block sums (row-major, rows
// in grid order). For every split the chosen trial is the first in grid order
// with the strictly best in-sample score; its rank among all trials out of
// sample is w = (below + equal / 2) / trialCount, where `equal` counts the
// chosen trial itself, and its logit is ln(w / (1 - w)). Scores add a trial's
// blocks in ascending block order from 0.0. The block count must be even and
// 4 .. 16; the sums must be finite.
//
// Runs on control.threads workers (0: one per core) with the same result, bit
// for bit, at any count; reports progress as trials scored of 2 x trialCount
// (two passes) and stops early, returning cancelled, when control.cancel is set.
PboResult estimatePbo(const double* blockSums, std::int64_t trialCount, int blockCount,
                      const WorkControl& control = {});

}  // namespace varkel
