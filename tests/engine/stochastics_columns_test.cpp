#include "search/stochastics_columns.h"

#include "studies/oscillators.h"
#include "../support/random_history.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace varkel;

namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

// The search's %K columns must be the study's to the bit for every span:
// histories with NaN highs and lows (a later bar never replaces a NaN the
// window starts with, and a NaN later in the window is passed over), signed
// zeros in either order, repeated extremes, and spans as long as the history
// or longer.
TEST(StochasticsColumns, EqualTheStudysColumnsBitForBit) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<ProductRegistry> histories;
    histories.push_back(test::randomHistory("X", 120, 5));
    {
        ProductRegistry odd = test::randomHistory("X", 60, 9);
        std::vector<Bar>& bars = odd.findProduct("X")->bars;
        bars[7].high = nan;
        bars[20].low = nan;
        bars[21].high = nan;
        for (int i = 30; i < 40; ++i) {
            bars[i].high = i % 2 == 0 ? 0.0 : -0.0;
            bars[i].low = i % 2 == 0 ? -0.0 : 0.0;
            bars[i].close = i % 3 == 0 ? -0.0 : 0.0;
        }
        for (int i = 45; i < 52; ++i) bars[i].high = bars[44].high;
        histories.push_back(odd);
    }
    histories.push_back(test::randomHistory("X", 4, 2));
    for (ProductRegistry& history : histories) {
        const Product& product = *history.findProduct("X");
        const int n = product.historyLength();
        const PriceColumns prices(product);
        StochasticsColumns columns(prices);
        for (int kSpan = 3; kSpan <= n + 2; ++kSpan) {
            columns.compute(kSpan);
            ProductRegistry study = history;
            calcStochastics(study, "X", kSpan, 3, 3);
            const std::vector<Bar>& bars = study.findProduct("X")->bars;
            for (int i = 0; i < n; ++i) {
                EXPECT_TRUE(sameBits(columns.range[i], bars[i].stochRange)) << "span " << kSpan << " bar " << i;
                EXPECT_TRUE(sameBits(columns.closeLessLow[i], bars[i].stochCloseLessLow))
                    << "span " << kSpan << " bar " << i;
            }
        }
    }
}
