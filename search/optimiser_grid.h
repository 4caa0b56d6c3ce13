#pragma once

#include "studies/study_catalogue.h"
#include "studies/study_grids.h"

namespace varkel {

// The grids each layer of a build searches; the standard ones unless a caller narrows them.
struct BuildGrids {
    MacdGrid macd{};
    StochasticsGrid stochastics{};
    KeltnerGrid keltner{};
    SpanThresholdGrid lreg = lregGrid();
    SpanThresholdGrid tsc = tscGrid();
    SpanThresholdGrid roc = rocGrid();
    SpanThresholdGrid ndist = ndistGrid();

    // The grid a layer of this kind searches (a kind the builder does not use gets the Keltner grid).
    StudyGrid of(StudyKind kind) const {
        switch (kind) {
            case StudyKind::Macd: return macd;
            case StudyKind::Stochastics: return stochastics;
            case StudyKind::TimeSeriesCorrelation: return tsc;
            case StudyKind::LinearRegression: return lreg;
            case StudyKind::RateOfChange: return roc;
            case StudyKind::NormalDistribution: return ndist;
            default: return keltner;
        }
    }
};

}  // namespace varkel
