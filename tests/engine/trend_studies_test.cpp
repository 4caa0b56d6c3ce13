#include "studies/trend_studies.h"

#include "study_test_support.h"

#include <gtest/gtest.h>

using namespace varkel;
using namespace varkel::test;

TEST(MovingAverage, SpansTwentyAndFortyOnAHundredBars) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, steps(100, 1.0, 1.0));
    calcMovingAverage(registry, historyName, 20, 1);
    calcMovingAverage(registry, historyName, 40, 2);
    for (int i = 0; i < 100; ++i) {
        const Bar& bar = product.bars[i];
        // The mean of the closes i-span+2 .. i+1 is i+1 - (span-1)/2.
        EXPECT_EQ(bar.maShort, i < 19 ? 0.0 : i + 1 - 9.5) << i;
        EXPECT_EQ(bar.maLong, i < 39 ? 0.0 : i + 1 - 19.5) << i;
        EXPECT_EQ(bar.maShortPeriod, 20);
        EXPECT_EQ(bar.maLongPeriod, 40);
    }
    EXPECT_EQ(studyFields(product.bars.back()), studyFields(Bar{}));
}

TEST(MovingAverage, HistoryOfExactlySpanBarsHasOneValue) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, {1, 2, 3, 4, 10});
    calcMovingAverage(registry, historyName, 5, 1);
    EXPECT_EQ(pricedColumn(product, &Bar::maShort), (std::vector<double>{0, 0, 0, 0, 4}));
}

TEST(MovingAverage, HistoryShorterThanTheSpanIsHiddenEverywhere) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, steps(10, 1.0, 1.0));
    calcMovingAverage(registry, historyName, 3, 2);
    calcMovingAverage(registry, historyName, 40, 2);
    EXPECT_EQ(pricedColumn(product, &Bar::maLong), std::vector<double>(10, 0.0));
    EXPECT_EQ(pricedColumn(product, &Bar::maLongPeriod), std::vector<std::int32_t>(10, 40));
}

TEST(Ema, SeedsWithTheMeanAndBlendsFromBarSpan) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, {1, 2, 3, 4, 10, 0.5});
    calcEma(registry, historyName, 4);
    // alpha 2/5: seed (1+2+3+4)/4 = 2.5 is stored nowhere; bar 4 is 0.6*2.5 + 0.4*10.
    const double bar4 = 0.6 * 2.5 + 0.4 * 10;
    const std::vector<double> expected{0, 0, 0, 0, bar4, 0.6 * bar4 + 0.4 * 0.5};
    const std::vector<double> ema = pricedColumn(product, &Bar::ema);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(ema[i], expected[i]) << i;
    EXPECT_EQ(pricedColumn(product, &Bar::emaPeriod), std::vector<std::int32_t>(6, 4));
}

TEST(Ema, HistoryOfSpanBarsOrFewerStoresNoValue) {
    for (int length : {5, 3}) {
        ProductRegistry registry;
        const Product& product = addCloses(registry, steps(length, 7.0, 1.0));
        calcEma(registry, historyName, 5);
        EXPECT_EQ(pricedColumn(product, &Bar::ema), std::vector<double>(length, 0.0));
        EXPECT_EQ(pricedColumn(product, &Bar::emaPeriod), std::vector<std::int32_t>(length, 5));
    }
}

TEST(TrueRange, WidensOverGapsFromThePreviousClose) {
    std::vector<Bar> bars(3);
    bars[0].high = 12;  // bar 0 has no previous close: 0 whatever its range
    bars[0].low = 9;
    bars[0].close = 10;
    bars[1].high = 8;  // gap down: previous close 10 - low 7 = 3 beats high - low = 1
    bars[1].low = 7;
    bars[1].close = 7.5;
    bars[2].high = 11.5;  // gap up: high 11.5 - previous close 7.5 = 4 beats 1.5
    bars[2].low = 10;
    bars[2].close = 11;
    ProductRegistry registry;
    const Product& product = addHistory(registry, bars);
    calcTrueRange(registry, historyName);
    EXPECT_EQ(pricedColumn(product, &Bar::trueRange), (std::vector<double>{0, 3, 4}));
}

TEST(Atr, IsTheSimpleMeanOfTheTrueRangesFromBarOne) {
    // Closes 10, 11, 13, 16, 20: true ranges 0, 1, 2, 3, 4 (high = low = close).
    ProductRegistry registry;
    const Product& product = addCloses(registry, {10, 11, 13, 16, 20});
    calcAtr(registry, historyName, 3);
    EXPECT_EQ(pricedColumn(product, &Bar::trueRange), (std::vector<double>{0, 1, 2, 3, 4}));
    EXPECT_EQ(pricedColumn(product, &Bar::atr), (std::vector<double>{0, 0, 0, 2, 3}));
    EXPECT_EQ(pricedColumn(product, &Bar::atrPeriod), std::vector<std::int32_t>(5, 3));
}

TEST(Keltner, BandsStartAfterTheLongerWarmUp) {
    struct Case {
        int atrSpan, emaSpan, firstBand;
    };
    for (const Case& c : {Case{10, 10, 12}, Case{3, 10, 11}, Case{10, 3, 12}, Case{5, 7, 8}}) {
        ProductRegistry registry;
        const Product& product = addHistory(registry, wavyBars(40));
        calcKeltner(registry, historyName, c.atrSpan, c.emaSpan, 1.5);
        for (int i = 0; i < 40; ++i) {
            const Bar& bar = product.bars[i];
            if (i < c.firstBand) {
                EXPECT_EQ(bar.keltnerUpper, 0.0) << c.atrSpan << "," << c.emaSpan << " bar " << i;
                EXPECT_EQ(bar.keltnerLower, 0.0) << c.atrSpan << "," << c.emaSpan << " bar " << i;
            } else {
                ASSERT_GT(bar.atr, 0.0);
                EXPECT_EQ(bar.keltnerUpper, bar.ema + 1.5 * bar.atr) << i;
                EXPECT_EQ(bar.keltnerLower, bar.ema - 1.5 * bar.atr) << i;
            }
            EXPECT_EQ(bar.emaPeriod, c.emaSpan);
            EXPECT_EQ(bar.atrPeriod, c.atrSpan);
        }
        EXPECT_EQ(studyFields(product.bars.back()), studyFields(Bar{}));
    }
}

TEST(Keltner, ZeroMultiplierAndFlatHistoryCollapseTheBandsOntoTheEma) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, wavyBars(30));
    calcKeltner(registry, historyName, 3, 3, 0.0);
    ProductRegistry flatRegistry;
    const Product& flat = addCloses(flatRegistry, std::vector<double>(30, 110.68));
    calcKeltner(flatRegistry, historyName, 3, 3, 2.0);
    for (int i = 5; i < 30; ++i) {
        EXPECT_EQ(product.bars[i].keltnerUpper, product.bars[i].ema);
        EXPECT_EQ(product.bars[i].keltnerLower, product.bars[i].ema);
        EXPECT_EQ(flat.bars[i].trueRange, 0.0);
        EXPECT_EQ(flat.bars[i].atr, 0.0);
        EXPECT_EQ(flat.bars[i].keltnerUpper, flat.bars[i].ema);
        EXPECT_NEAR(flat.bars[i].ema, 110.68, 1e-12);
    }
}

TEST(Keltner, NegativeMultiplierSwapsTheBands) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, wavyBars(30));
    calcKeltner(registry, historyName, 3, 3, -1.0);
    EXPECT_LT(product.bars[20].keltnerUpper, product.bars[20].keltnerLower);
}
