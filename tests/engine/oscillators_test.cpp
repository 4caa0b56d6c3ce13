#include "studies/oscillators.h"

#include "study_test_support.h"

#include <gtest/gtest.h>

using namespace varkel;
using namespace varkel::test;

namespace {

struct Prices {
    double high, low, close;
};

std::vector<Bar> barsOf(const std::vector<Prices>& prices, double shift = 0.0) {
    std::vector<Bar> bars(prices.size());
    for (std::size_t i = 0; i < prices.size(); ++i) {
        bars[i].high = prices[i].high + shift;
        bars[i].low = prices[i].low + shift;
        bars[i].open = bars[i].close = prices[i].close + shift;
    }
    return bars;
}

// A worked stochastics example with spans 3, 3, 3.
const std::vector<Prices> stochasticPrices{
    {10, 8, 9}, {11, 9, 10}, {12, 10, 11}, {14, 11, 13}, {13, 9, 9}, {10, 8, 10}, {10, 9, 9.5}};

}  // namespace

TEST(Rsi, SpanFourteenIsSetFromBarFourteen) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, wavyBars(100));
    calcRsi(registry, historyName, 14);
    for (int i = 0; i < 100; ++i) {
        const double rsi = product.bars[i].rsi;
        if (i < 14) {
            EXPECT_EQ(rsi, 0.0) << i;
        } else {
            EXPECT_GT(rsi, 0.0) << i;
            EXPECT_LT(rsi, 1.0) << i;
        }
        EXPECT_EQ(product.bars[i].rsiPeriod, 14);
    }
}

TEST(Rsi, IsTheShareOfRisesInTheLastSpanChanges) {
    ProductRegistry registry;
    // Changes +1, -0.5, +1.5: 2.5 of 3.0 rose.
    const Product& mixed = addCloses(registry, {10, 11, 10.5, 12});
    calcRsi(registry, historyName, 3);
    EXPECT_EQ(pricedColumn(mixed, &Bar::rsi), (std::vector<double>{0, 0, 0, 2.5 / 3.0}));

    ProductRegistry up, down;
    const Product& rising = addCloses(up, steps(20, 100.0, 0.37));
    const Product& falling = addCloses(down, steps(20, 100.0, -0.37));
    calcRsi(up, historyName, 14);
    calcRsi(down, historyName, 14);
    for (int i = 14; i < 20; ++i) {
        EXPECT_EQ(rising.bars[i].rsi, 1.0);
        EXPECT_EQ(falling.bars[i].rsi, 0.0);
        EXPECT_EQ(falling.bars[i].rsiPeriod, 14);
    }
}

TEST(Rsi, HistoryShorterThanTheSpanWritesNothing) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, wavyBars(10));
    calcRsi(registry, historyName, 3);
    const auto before = studyFields(product);
    calcRsi(registry, historyName, 11);
    EXPECT_EQ(studyFields(product), before);
}

TEST(RateOfChange, IsRelativeToTodaysClose) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, {100, 125, 100, 0, 50});
    calcRateOfChange(registry, historyName, 1);
    // 100 -> 125 is 25 / 125 = 20 %, not 25 %; a zero close gives 0.
    const std::vector<double> expected{0, 20, -25, 0, 100};
    const std::vector<double> roc = pricedColumn(product, &Bar::roc);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(roc[i], expected[i]) << i;
    EXPECT_EQ(pricedColumn(product, &Bar::rocPeriod), std::vector<std::int32_t>(5, 1));
}

TEST(RateOfChange, SpanOfTheWholeHistoryClearsEveryBar) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, {100, 125, 100, 80});
    calcRateOfChange(registry, historyName, 2);
    ASSERT_NE(product.bars[3].roc, 0.0);
    calcRateOfChange(registry, historyName, 4);
    EXPECT_EQ(pricedColumn(product, &Bar::roc), std::vector<double>(4, 0.0));
    EXPECT_EQ(pricedColumn(product, &Bar::rocPeriod), std::vector<std::int32_t>(4, 4));
}

TEST(Stochastics, WorkedExampleWithSpansThree) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, barsOf(stochasticPrices));
    calcStochastics(registry, historyName, 3, 3, 3);
    EXPECT_EQ(pricedColumn(product, &Bar::stochRange), (std::vector<double>{0, 0, 4, 5, 5, 6, 5}));
    EXPECT_EQ(pricedColumn(product, &Bar::stochCloseLessLow), (std::vector<double>{0, 0, 3, 4, 0, 2, 1.5}));
    EXPECT_EQ(pricedColumn(product, &Bar::stochK), (std::vector<double>{0, 0, 0.75, 0.8, 0, 2.0 / 6, 0.3}));
    // %D is the ratio of the summed distances: 7/14 on bar 4, where the mean of %K would be 0.5167.
    const std::vector<double> d{0, 0, 0, 0, 0.5, 6.0 / 16, 3.5 / 16};
    for (int i = 0; i < 7; ++i) EXPECT_DOUBLE_EQ(product.bars[i].stochD, d[i]) << i;
    EXPECT_EQ(product.bars[5].stochSlowD, 0.0);
    EXPECT_DOUBLE_EQ(product.bars[6].stochSlowD, (0.5 + 6.0 / 16 + 3.5 / 16) / 3);
    EXPECT_EQ(product.bars[6].stochKPeriod, 3);
    EXPECT_EQ(product.bars[6].stochDPeriod, 3);
    EXPECT_EQ(product.bars[6].stochSlowDPeriod, 3);
}

TEST(Stochastics, PricesBeyondNineThousandNineHundredNinetyNineGiveTheSameLines) {
    ProductRegistry low, high;
    const Product& base = addHistory(low, barsOf(stochasticPrices));
    const Product& shifted = addHistory(high, barsOf(stochasticPrices, 20000.0));
    calcStochastics(low, historyName, 3, 3, 3);
    calcStochastics(high, historyName, 3, 3, 3);
    EXPECT_EQ(pricedColumn(shifted, &Bar::stochK), pricedColumn(base, &Bar::stochK));
    EXPECT_EQ(pricedColumn(shifted, &Bar::stochRange), pricedColumn(base, &Bar::stochRange));
}

TEST(Stochastics, SpansFiveThreeThreeWarmUpInStages) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, wavyBars(30));
    calcStochastics(registry, historyName, 5, 3, 3);
    for (int i = 0; i < 30; ++i) {
        const Bar& bar = product.bars[i];
        EXPECT_EQ(bar.stochK != 0.0, i >= 4) << i;
        EXPECT_EQ(bar.stochRange != 0.0, i >= 4) << i;
        EXPECT_EQ(bar.stochD != 0.0, i >= 6) << i;
        EXPECT_EQ(bar.stochSlowD != 0.0, i >= 8) << i;
        EXPECT_EQ(bar.stochKPeriod, 5);
        EXPECT_EQ(bar.stochDPeriod, 3);
        EXPECT_EQ(bar.stochSlowDPeriod, 3);
    }
    EXPECT_EQ(studyFields(product.bars.back()), studyFields(Bar{}));
}

TEST(Stochastics, AFlatWindowHasNoRange) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, std::vector<double>(12, 110.5));
    calcStochastics(registry, historyName, 3, 3, 3);
    EXPECT_EQ(pricedColumn(product, &Bar::stochK), std::vector<double>(12, 0.0));
    EXPECT_EQ(pricedColumn(product, &Bar::stochD), std::vector<double>(12, 0.0));
    EXPECT_EQ(pricedColumn(product, &Bar::stochSlowD), std::vector<double>(12, 0.0));
}

TEST(Macd, TwelveTwentySixNineStartsTheLineAtTwentySixAndTheSignalAtThirtyFour) {
    // Closes rising by 0.5: the 12-bar mean lags the close by 2.75, the 26-bar mean by 6.25.
    ProductRegistry registry;
    const Product& product = addCloses(registry, steps(60, 100.0, 0.5));
    calcMacdAverage(registry, historyName, 12, 1);
    calcMacdAverage(registry, historyName, 26, 2);
    calcMacdSignal(registry, historyName, 9);
    for (int i = 0; i < 60; ++i) {
        const Bar& bar = product.bars[i];
        EXPECT_EQ(bar.macdFast != 0.0, i >= 11) << i;
        EXPECT_EQ(bar.macdSlow != 0.0, i >= 25) << i;
        if (i < 26)
            EXPECT_EQ(bar.macdLine, 0.0) << i;
        else
            EXPECT_NEAR(bar.macdLine, 3.5, 1e-9) << i;
        if (i < 34)
            EXPECT_EQ(bar.macdSignal, 0.0) << i;
        else
            EXPECT_NEAR(bar.macdSignal, 3.5, 1e-9) << i;
        EXPECT_EQ(bar.macdFastPeriod, 12);
        EXPECT_EQ(bar.macdSlowPeriod, 26);
        EXPECT_EQ(bar.macdSignalPeriod, 9);
    }
    EXPECT_EQ(studyFields(product.bars.back()), studyFields(Bar{}));
}

TEST(Macd, LineIsFastMinusSlowWhicheverSpanIsLonger) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, steps(40, 100.0, 0.5));
    calcMacdAverage(registry, historyName, 26, 1);
    calcMacdAverage(registry, historyName, 12, 2);
    calcMacdSignal(registry, historyName, 9);
    EXPECT_EQ(product.bars[25].macdLine, 0.0);
    EXPECT_NEAR(product.bars[26].macdLine, -3.5, 1e-9);
    EXPECT_NEAR(product.bars[34].macdSignal, -3.5, 1e-9);
}

TEST(Macd, SignalBeforeAnyAverageStartsAtSignalSpanMinusOne) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, steps(20, 100.0, 0.5));
    calcMacdSignal(registry, historyName, 5);
    EXPECT_EQ(pricedColumn(product, &Bar::macdLine), std::vector<double>(20, 0.0));
    EXPECT_EQ(pricedColumn(product, &Bar::macdSignal), std::vector<double>(20, 0.0));
    EXPECT_EQ(pricedColumn(product, &Bar::macdSignalPeriod), std::vector<std::int32_t>(20, 5));
}

TEST(Macd, LongerSpansLeaveNoSignalFromAnEarlierRun) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, wavyBars(60));
    calcMacdAverage(registry, historyName, 3, 1);
    calcMacdAverage(registry, historyName, 5, 2);
    calcMacdSignal(registry, historyName, 3);
    ASSERT_NE(product.bars[10].macdSignal, 0.0);
    calcMacdAverage(registry, historyName, 12, 1);
    calcMacdAverage(registry, historyName, 26, 2);
    calcMacdSignal(registry, historyName, 9);
    for (int i = 0; i < 34; ++i) EXPECT_EQ(product.bars[i].macdSignal, 0.0) << i;
    EXPECT_NE(product.bars[34].macdSignal, 0.0);
}

TEST(Macd, AverageLongerThanTheHistoryWritesNothing) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, wavyBars(10));
    calcMacdAverage(registry, historyName, 3, 1);
    const auto before = studyFields(product);
    calcMacdAverage(registry, historyName, 11, 1);
    EXPECT_EQ(studyFields(product), before);
    calcMacdAverage(registry, historyName, 10, 1);
    EXPECT_EQ(product.bars[9].macdFastPeriod, 10);
}
