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
};

}  // namespace varkel
