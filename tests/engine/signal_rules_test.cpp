#include "model/signal_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

using namespace varkel;

namespace {

// n real bars, each set by `fill`, plus the next-day bar; every position starts at 9
// so that a bar the rule forgot would show.
std::vector<Bar> barsWith(int n, const std::function<void(Bar&, int)>& fill) {
    std::vector<Bar> bars(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i < n; ++i) fill(bars[i], i);
    for (Bar& bar : bars) bar.position = 9;
    return bars;
}

std::vector<int> positionsOf(const std::vector<Bar>& bars) {
    std::vector<int> positions;
    for (const Bar& bar : bars) positions.push_back(bar.position);
    return positions;
}

using V = std::vector<int>;

}  // namespace

TEST(BaseRules, ValuesEqualToTheThresholdNeitherOpenNorReverse) {
    const std::vector<double> values = {0.0, 0.5, 0.6, -0.5, -0.6};
    const V expected = {0, 0, 0, 1, 0, -1};  // bar 0 flat, bar i+1 from the values of bar i
    const auto fillWith = [&](auto field) {
        return barsWith(5, [&](Bar& bar, int i) { bar.*field = values[i]; });
    };

    auto lreg = fillWith(&Bar::lregSlope);
    applyLregRule(lreg, 5, 0.5);
    EXPECT_EQ(positionsOf(lreg), expected);

    auto tsc = fillWith(&Bar::tsc);
    applyTscRule(tsc, 5, 0.5);
    EXPECT_EQ(positionsOf(tsc), expected);

    auto macd = fillWith(&Bar::macdLine);
    applyMacdRule(macd, 5, -1, -1, 0.5);  // no warm-up to skip
    EXPECT_EQ(positionsOf(macd), expected);

    auto stoch = fillWith(&Bar::stochD);
    applyStochasticsRule(stoch, 5, -1, -1, -1, 0.5);
    EXPECT_EQ(positionsOf(stoch), expected);
}

TEST(BaseRules, ZeroThresholdFlatOnlyOnAnExactTie) {
    auto macd = barsWith(3, [](Bar& bar, int i) {
        bar.macdLine = 1.25 * i;
        bar.macdSignal = 1.25;  // tie on bar 1
    });
    applyMacdRule(macd, 3, -1, -1, 0.0);
    EXPECT_EQ(positionsOf(macd), (V{0, -1, 0, 1}));

    auto lreg = barsWith(3, [](Bar& bar, int i) { bar.lregSlope = (i - 1) * 1e-12; });
    applyLregRule(lreg, 3, 0.0);
    EXPECT_EQ(positionsOf(lreg), (V{0, -1, 0, 1}));
}

TEST(BaseRules, WarmUpBarsStayFlat) {
    // MACD acts only after bar slow + signal; stochastics after %K + %D + slow %D.
    auto macd = barsWith(8, [](Bar& bar, int) { bar.macdLine = 1.0; });
    applyMacdRule(macd, 8, 3, 2, 0.0);
    EXPECT_EQ(positionsOf(macd), (V{0, 0, 0, 0, 0, 0, 0, 1, 1}));

    auto stoch = barsWith(8, [](Bar& bar, int) { bar.stochSlowD = 0.5; });
    applyStochasticsRule(stoch, 8, 2, 2, 2, 0.0);
    EXPECT_EQ(positionsOf(stoch), (V{0, 0, 0, 0, 0, 0, 0, 0, -1}));
}

TEST(BaseRules, SpansAsLargeAsAModelFileHoldsKeepEveryBarInWarmUp) {
    // Found by fuzzing the model reader: the sum of such spans overflowed an int.
    const int huge = 2147483647;
    auto macd = barsWith(4, [](Bar& bar, int) { bar.macdLine = 1.0; });
    applyMacdRule(macd, 4, huge, huge, 0.0);
    EXPECT_EQ(positionsOf(macd), (V{0, 0, 0, 0, 0}));
    auto stoch = barsWith(4, [](Bar& bar, int) { bar.stochSlowD = 0.5; });
    applyStochasticsRule(stoch, 4, 89, huge, huge, 0.0);
    EXPECT_EQ(positionsOf(stoch), (V{0, 0, 0, 0, 0}));
}

TEST(BaseRules, KeltnerNeedsAClearBreakOfOneBandWithoutTouchingTheOther) {
    struct Case {
        double high, low, lower, upper;
    };
    const Case cases[] = {
        {12.0, 9.0, 0.0, 10.0},  // bands not formed yet
        {12.0, 9.0, 8.0, 10.0},  // above the upper band, low above the lower: long
        {9.0, 7.0, 8.0, 10.0},   // below the lower band, high below the upper: short
        {12.0, 7.0, 8.0, 10.0},  // outside both
        {10.0, 9.0, 8.0, 10.0},  // high touches the upper band only
        {9.0, 8.0, 8.0, 10.0},   // low touches the lower band only
    };
    auto bars = barsWith(6, [&](Bar& bar, int i) {
        bar.high = cases[i].high;
        bar.low = cases[i].low;
        bar.keltnerLower = cases[i].lower;
        bar.keltnerUpper = cases[i].upper;
    });
    applyKeltnerRule(bars, 6);
    EXPECT_EQ(positionsOf(bars), (V{0, 0, 1, -1, 0, 0, 0}));
}

TEST(BaseRules, TheLastRealBarDecidesTheNextDayBar) {
    auto bars = barsWith(3, [](Bar& bar, int i) { bar.tsc = i == 2 ? -0.9 : 0.9; });
    applyTscRule(bars, 3, 0.5);
    EXPECT_EQ(positionsOf(bars), (V{0, 1, 1, -1}));
}

TEST(Filters, OnlyFlattenWhereTheStudyValueIsBelowTheMagnitudeOfTheThreshold) {
    const std::vector<double> values = {0.1, -0.1, 0.3, -0.3, 0.29};
    const V saved = {1, 1, -1, 1, -1, 1};
    const V expected = {1, 0, 0, 1, -1, 0};  // entry 0 keeps its saved value

    auto lreg = barsWith(5, [&](Bar& bar, int i) { bar.lregSlope = values[i]; });
    applyLregFilter(lreg, 5, -0.3, saved);
    EXPECT_EQ(positionsOf(lreg), expected);

    auto tsc = barsWith(5, [&](Bar& bar, int i) { bar.tsc = values[i]; });
    applyTscFilter(tsc, 5, 0.3, saved);
    EXPECT_EQ(positionsOf(tsc), expected);
}

TEST(Filters, NdistComparesTheValueItselfWithTheMagnitudeOfTheThreshold) {
    const std::vector<double> values = {2.0, 1.9, -5.0, 3.0};
    const V saved = {0, 1, -1, 1, -1};
    for (double threshold : {2.0, -2.0}) {
        auto bars = barsWith(4, [&](Bar& bar, int i) { bar.ndist = values[i]; });
        applyNdistFilter(bars, 4, threshold, saved);
        EXPECT_EQ(positionsOf(bars), (V{0, 1, 0, 0, -1})) << threshold;
    }
    // A zero threshold keeps everything but negative values.
    auto bars = barsWith(4, [&](Bar& bar, int i) { bar.ndist = values[i] - 2.0; });
    applyNdistFilter(bars, 4, 0.0, saved);
    EXPECT_EQ(positionsOf(bars), (V{0, 1, 0, 0, -1}));
}

TEST(Filters, RocFlattensOnlyAPositionTheChangeRunsAgainst) {
    const std::vector<double> values = {-1.5, -1.0, 1.5, 1.0, 5.0, -5.0, 9.0};
    const V saved = {0, 1, 1, -1, -1, 1, -1, 0};
    auto bars = barsWith(7, [&](Bar& bar, int i) { bar.roc = values[i]; });
    applyRocFilter(bars, 7, -1.0, saved);
    EXPECT_EQ(positionsOf(bars), (V{0, 0, 1, 0, -1, 1, -1, 0}));
}

TEST(Filters, NeverOpenOrReverseAPosition) {
    const V saved = {0, 1, -1, 0, 1, -1, 0, 1, -1, 0};
    auto bars = barsWith(9, [](Bar& bar, int i) {
        const double v = (i % 3 - 1) * 10.0;  // strongly for, against and zero
        bar.lregSlope = bar.tsc = bar.roc = bar.ndist = v;
    });
    using Filter = void (*)(std::vector<Bar>&, int, double, std::span<const std::int32_t>);
    const std::vector<std::int32_t> saved32(saved.begin(), saved.end());
    for (Filter filter : {Filter{applyLregFilter}, Filter{applyTscFilter}, Filter{applyRocFilter},
                          Filter{applyNdistFilter}}) {
        for (double threshold : {0.0, 1.0, -50.0}) {
            filter(bars, 9, threshold, saved32);
            for (int i = 0; i < 10; ++i) {
                const int position = bars[i].position;
                EXPECT_TRUE(position == saved[i] || position == 0) << i;
            }
        }
    }
}

TEST(Rules, CallsThatDoNotFitTheBarsChangeNothing) {
    auto bars = barsWith(3, [](Bar& bar, int) { bar.lregSlope = 1.0; });
    applyLregRule(bars, 4, 0.0);
    applyLregRule(bars, -1, 0.0);
    applyLregFilter(bars, 3, 0.0, std::vector<std::int32_t>{1, 1, 1});  // one short
    EXPECT_EQ(positionsOf(bars), (V{9, 9, 9, 9}));
    EXPECT_EQ(copyPositions(bars), (std::vector<std::int32_t>{9, 9, 9, 9}));
}

// Spans read from a model file may be anything; their sum must not wrap round
// to a small number that would let the rule trade from the first bar.
TEST(BaseRules, HugeSpansKeepEveryBarFlat) {
    const int huge = std::numeric_limits<int>::max();
    auto macd = barsWith(5, [](Bar& bar, int) { bar.macdLine = 1.0; });
    applyMacdRule(macd, 5, huge, huge, 0.0);
    EXPECT_EQ(positionsOf(macd), V(6, 0));
    auto stochastics = barsWith(5, [](Bar& bar, int) { bar.stochD = 1.0; });
    applyStochasticsRule(stochastics, 5, huge, huge, huge, 0.0);
    EXPECT_EQ(positionsOf(stochastics), V(6, 0));
}
