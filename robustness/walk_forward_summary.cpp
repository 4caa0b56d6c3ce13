#include "robustness/walk_forward_summary.h"

#include <algorithm>
#include <cmath>

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
    return *sharpePerBar * std::sqrt(252.0);
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

    const auto count = static_cast<double>(daily.size());
    if (daily.size() >= 2) {
        const double mean = totals.netProfit / count;
        double squares = 0.0;
        for (const double value : daily) squares += (value - mean) * (value - mean);
        const double deviation = std::sqrt(squares / (count - 1.0));
        if (deviation > 0.0) totals.sharpePerBar = mean / deviation;
    }

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
