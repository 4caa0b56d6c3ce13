#pragma once

#include "data/bar.h"

#include <optional>
#include <vector>

namespace varkel {

// Figures of a whole history that tell a clean daily FX feed from one whose
// opens, closes or single bars are misaligned. Moves are log changes.
struct HistoryFigures {
    int moves = 0;                     // close-to-close moves measured (bars - 1)
    double varianceBetweenBars = 0.0;  // variance of close-to-next-open moves / variance of close-to-close moves,
                                       // over the moves into and out of bars not flagged
    double openAtCloseShare = 0.0;     // share of bars whose open equals their own close
    double lag1Autocorrelation = 0.0;  // of consecutive close-to-close moves
    double lag1WithoutFlagged = 0.0;   // the same, leaving out the moves into and out of flagged bars
    int flaggedBars = 0;
};

// A figure far from what clean daily FX shows (data_quality_rules.h).
enum class HistoryFindingKind {
    VarianceBetweenBars,  // the opens do not follow the closes
    OpensAtClose,         // the opens were copied from the closes
    Lag1Autocorrelation,  // one-day moves that reverse, with or without the flagged bars
};

// The figures of `bars` (oldest first, without the next-day bar; every price
// positive); `flagged[i]` marks a bar flagged as a likely wrong price. Nothing
// for fewer than minBarsForHistoryFigures bars, or when the closes never move.
std::optional<HistoryFigures> historyFigures(const std::vector<Bar>& bars, const std::vector<bool>& flagged);

// The figures beyond their thresholds, in the order of HistoryFindingKind.
std::vector<HistoryFindingKind> historyFindings(const HistoryFigures& figures);

// The autocorrelation beyond which a history of `moves` moves is named:
// maxLag1Autocorrelation, or autocorrelationStandardErrors standard errors
// (1/sqrt(moves)) when that is larger.
double lag1Limit(int moves);

}  // namespace varkel
