#include "data/history_figures.h"

#include "data/data_quality_rules.h"

#include <algorithm>
#include <cmath>

namespace varkel {

namespace {

// Population variance of the values whose `kept` is set, summed in order.
double variance(const std::vector<double>& values, const std::vector<bool>& kept) {
    double sum = 0.0;
    int count = 0;
    for (std::size_t t = 0; t < values.size(); ++t)
        if (kept[t]) sum += values[t], ++count;
    if (count == 0) return 0.0;
    const double mean = sum / count;
    double squares = 0.0;
    for (std::size_t t = 0; t < values.size(); ++t)
        if (kept[t]) squares += (values[t] - mean) * (values[t] - mean);
    return squares / count;
}

// Lag-1 autocorrelation of the moves whose `kept` is set, over the pairs of
// consecutive kept moves; 0 when they do not vary.
double lag1(const std::vector<double>& moves, const std::vector<bool>& kept) {
    double sum = 0.0;
    int count = 0;
    for (std::size_t t = 0; t < moves.size(); ++t)
        if (kept[t]) sum += moves[t], ++count;
    if (count < 2) return 0.0;
    const double mean = sum / count;
    double products = 0.0, squares = 0.0;
    for (std::size_t t = 0; t < moves.size(); ++t) {
        if (!kept[t]) continue;
        squares += (moves[t] - mean) * (moves[t] - mean);
        if (t > 0 && kept[t - 1]) products += (moves[t] - mean) * (moves[t - 1] - mean);
    }
    return squares > 0.0 ? products / squares : 0.0;
}

}  // namespace

double lag1Limit(int moves) {
    const double standardError = moves > 0 ? 1.0 / std::sqrt(static_cast<double>(moves)) : 1.0;
    return std::max(maxLag1Autocorrelation.value, autocorrelationStandardErrors.value * standardError);
}

std::optional<HistoryFigures> historyFigures(const std::vector<Bar>& bars, const std::vector<bool>& flagged) {
    if (bars.size() < static_cast<std::size_t>(minBarsForHistoryFigures.value)) return std::nullopt;
    HistoryFigures figures;
    std::vector<double> closeToClose, closeToOpen;
    std::vector<bool> all, clean;
    int opensAtClose = bars[0].open == bars[0].close ? 1 : 0;
    for (std::size_t i = 1; i < bars.size(); ++i) {
        closeToClose.push_back(std::log(bars[i].close / bars[i - 1].close));
        closeToOpen.push_back(std::log(bars[i].open / bars[i - 1].close));
        all.push_back(true);
        clean.push_back(!flagged[i] && !flagged[i - 1]);
        opensAtClose += bars[i].open == bars[i].close ? 1 : 0;
    }
    // One wrong close swamps the variance of every other move: the share is
    // taken over the moves that touch no flagged bar.
    const double moveVariance = variance(closeToClose, clean);
    if (!(moveVariance > 0.0)) return std::nullopt;
    figures.moves = static_cast<int>(closeToClose.size());
    figures.varianceBetweenBars = variance(closeToOpen, clean) / moveVariance;
    figures.openAtCloseShare = static_cast<double>(opensAtClose) / static_cast<double>(bars.size());
    figures.lag1Autocorrelation = lag1(closeToClose, all);
    figures.lag1WithoutFlagged = lag1(closeToClose, clean);
    figures.flaggedBars = static_cast<int>(std::count(flagged.begin(), flagged.end(), true));
    return figures;
}

std::vector<HistoryFindingKind> historyFindings(const HistoryFigures& figures) {
    std::vector<HistoryFindingKind> found;
    if (figures.varianceBetweenBars > maxVarianceBetweenBars.value) found.push_back(HistoryFindingKind::VarianceBetweenBars);
    if (figures.openAtCloseShare > maxOpenAtCloseShare.value) found.push_back(HistoryFindingKind::OpensAtClose);
    const double limit = lag1Limit(figures.moves);
    if (std::fabs(figures.lag1Autocorrelation) > limit || std::fabs(figures.lag1WithoutFlagged) > limit)
        found.push_back(HistoryFindingKind::Lag1Autocorrelation);
    return found;
}

}  // namespace varkel
