// The Sharpe ratios, defined once, against worked examples; and the figures
// built on them agree with the definition bit for bit.
#include "model/sharpe_ratio.h"
#include "robustness/deflated_sharpe.h"
#include "robustness/walk_forward_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <vector>

using namespace varkel;

TEST(SharpeRatio, PerBarIsTheMeanOverTheSampleDeviation) {
    struct Case {
        std::vector<double> pnl;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {{1.0, 2.0, 3.0, 4.0}, 2.5 / std::sqrt(5.0 / 3.0)},  // squares 2.25 + 0.25 + 0.25 + 2.25 = 5
        {{-1.0, 1.0}, 0.0},
        {{-3.0, -1.0}, -2.0 / std::sqrt(2.0)},
        {{2.0, 2.0, 2.0}, std::nullopt},  // no spread
        {{5.0}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto sharpe = perBarSharpe(c.pnl);
        ASSERT_EQ(sharpe.has_value(), c.expected.has_value()) << c.pnl.size() << " values";
        if (sharpe) {
            EXPECT_DOUBLE_EQ(*sharpe, *c.expected);
        }
    }
    // From the running sums of the same series: 10 and 30 over 4 bars.
    EXPECT_DOUBLE_EQ(*trialSharpe(10.0, 30.0, 4), 2.5 / std::sqrt(5.0 / 3.0));
    EXPECT_DOUBLE_EQ(annualisedSharpe(1.0), std::sqrt(252.0));
}

TEST(SharpeRatio, TheModelFilesWindowRatioIsTheSumOverTheAbsDeviation) {
    std::array<double, sharpeWindowBars> window{};
    std::iota(window.begin(), window.end(), 1.0);  // 1 .. 20: sum 210, mean 10.5, squares 665 / 19 = 35
    EXPECT_DOUBLE_EQ(windowSharpe(window), 210.0 / std::sqrt(35.0));
    window.fill(-4.0);  // no deviation from the mean's magnitude
    EXPECT_EQ(windowSharpe(window), 0.0);
}

TEST(SharpeRatio, TheDeflatedAndTheWalkForwardFiguresUseTheOneDefinition) {
    std::mt19937 random(11);
    std::normal_distribution<double> daily(0.02, 1.0);
    std::vector<double> pnl(777);
    for (double& value : pnl) value = daily(random);
    const double expected = *perBarSharpe(pnl);
    EXPECT_EQ(describeReturns(pnl.data(), static_cast<std::int64_t>(pnl.size()))->sharpe, expected);
    const WalkForwardTotals totals = summariseFolds({}, pnl);
    EXPECT_EQ(*totals.sharpePerBar, expected);
    EXPECT_EQ(*totals.sharpeAnnualised(), annualisedSharpe(expected));
}
