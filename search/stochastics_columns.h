#pragma once

#include "search/price_columns.h"

#include <vector>

namespace varkel {

// The two columns of the stochastics' %K stage for one %K span, with the bits
// calcStochastics writes to stochCloseLessLow and stochRange, without the rest
// of the study and without walking the bars once per window bar: every
// window's highest high and lowest low take the window's next bar in one pass
// over all windows per bar of the span, the study's own comparisons in its own
// order (oldest bar first, a later bar replacing only a strictly higher high
// or lower low, so NaNs and signed zeros end alike).
class StochasticsColumns {
public:
    explicit StochasticsColumns(const PriceColumns& prices);

    // close - lowest low and highest high - lowest low of the kSpan bars
    // ending at each bar, zero before bar kSpan - 1 (kSpan >= 1).
    void compute(int kSpan);

    std::vector<double> closeLessLow, range;

private:
    const PriceColumns& prices_;
    // By the window's first bar.
    std::vector<double> highest_, lowest_;
};

}  // namespace varkel
