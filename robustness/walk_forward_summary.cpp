#include "robustness/walk_forward_summary.h"

#include "model/sharpe_ratio.h"

#include <algorithm>

namespace varkel {

namespace {

std::optional<double> ratioOfMeans(double numerator, double denominator) {
    if (!(denominator > 0.0)) return std::nullopt;
    return numerator / denominator;
}

}  // namespace

std::optional<double> FoldResult::efficiency() const { return ratioOfMeans(outOfSampleMean(), inSampleMean()); }

std::optional<double> WalkForwardTotals::sharpeAnnualised() const {
    if (!sharpePerBar) return std::nullopt;
    return annualisedSharpe(*sharpePerBar);
}

WalkForwardTotals summariseFolds(const std::vector<FoldResult>& folds, const std::vector<double>& daily) {
    WalkForwardTotals totals;
    double equity = 0.0, peak = 0.0;
    for (const double value : daily) {
        equity += value;
        peak = std::max(peak, equity);
        totals.maxDrawdown = std::max(totals.maxDrawdown, peak - equity);
    }
    totals.netProfit = equity;

    totals.sharpePerBar = perBarSharpe(daily);

    double inSample = 0.0, outOfSample = 0.0;
    long long trainBars = 0, testBars = 0;
    for (std::size_t k = 0; k < folds.size(); ++k) {
        const FoldResult& fold = folds[k];
        inSample += fold.inSampleReturn;
        outOfSample += fold.outOfSampleReturn;
        trainBars += fold.bars.trainLength();
        testBars += fold.bars.testLength();
        if (fold.outOfSampleReturn > 0.0) ++totals.profitableFolds;
        if (k > 0 && fold.model.base() != folds[k - 1].model.base()) ++totals.parameterChanges;
    }
    totals.folds = static_cast<int>(folds.size());
    if (!folds.empty()) {
        totals.efficiency = ratioOfMeans(outOfSample / static_cast<double>(testBars),
                                         inSample / static_cast<double>(trainBars));
    }
    return totals;
}

}  // namespace varkel
