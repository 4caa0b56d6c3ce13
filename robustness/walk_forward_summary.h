#pragma once

#include "model/trade_model.h"
#include "robustness/walk_forward_folds.h"

#include <optional>
#include <vector>

namespace varkel {

// One fold: the model chosen on its train window and what it earned.
struct FoldResult {
    Fold bars{};
    TradeModel model{};  // kinds, spans and thresholds of every layer (no measures)
    double inSampleReturn = 0.0;     // daily P&L summed over the train window
    double outOfSampleReturn = 0.0;  // daily P&L summed over the test window

    double inSampleMean() const { return inSampleReturn / bars.trainLength(); }
    double outOfSampleMean() const { return outOfSampleReturn / bars.testLength(); }
    // Out-of-sample per-bar mean over in-sample per-bar mean; nothing when the
    // in-sample mean is 0 or negative.
    std::optional<double> efficiency() const;
};

struct WalkForwardTotals {
    double netProfit = 0.0;  // of the stitched out-of-sample curve
    // The stitched daily P&L's perBarSharpe; nothing with fewer than two bars or no spread.
    std::optional<double> sharpePerBar;
    double maxDrawdown = 0.0;  // largest fall of the stitched curve from a peak (the start counts as 0)
    int folds = 0;
    int profitableFolds = 0;  // folds whose out-of-sample return is above 0
    // All test bars' per-bar mean over all train bars' per-bar mean (each
    // fold's train bars counted once per fold); nothing when the latter is 0
    // or negative.
    std::optional<double> efficiency;
    int parameterChanges = 0;  // folds whose base parameters differ from the fold before

    std::optional<double> sharpeAnnualised() const;  // annualisedSharpe of the per-bar figure
    double profitableFoldShare() const { return folds > 0 ? static_cast<double>(profitableFolds) / folds : 0.0; }
};

// The totals of the folds and their stitched daily P&L.
WalkForwardTotals summariseFolds(const std::vector<FoldResult>& folds, const std::vector<double>& outOfSampleDaily);

}  // namespace varkel
