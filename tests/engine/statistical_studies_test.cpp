#include "studies/statistical_studies.h"

#include "study_test_support.h"

#include <gtest/gtest.h>

using namespace varkel;
using namespace varkel::test;

TEST(StatisticalStudies, ClosesRisingByAFixedStepCorrelateFullyWithTime) {
    for (int span : {3, 9, 14}) {
        ProductRegistry registry;
        const Product& product = addCloses(registry, steps(30, 98.5, 0.25));
        calcTimeSeriesCorrelation(registry, historyName, span);
        calcLinearRegression(registry, historyName, span);
        for (int i = 0; i < 30; ++i) {
            const Bar& bar = product.bars[i];
            EXPECT_DOUBLE_EQ(bar.tsc, i < span - 1 ? 0.0 : 1.0) << span << " bar " << i;
            EXPECT_DOUBLE_EQ(bar.lregSlope, i < span - 1 ? 0.0 : 0.25) << span << " bar " << i;
            EXPECT_EQ(bar.tscPeriod, span);
            EXPECT_EQ(bar.lregPeriod, span);
        }
        EXPECT_EQ(studyFields(product.bars.back()), studyFields(Bar{}));
    }
}

TEST(StatisticalStudies, FallingClosesCorrelateNegatively) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, steps(10, 120.0, -0.5));
    calcTimeSeriesCorrelation(registry, historyName, 5);
    calcLinearRegression(registry, historyName, 5);
    EXPECT_DOUBLE_EQ(product.bars[9].tsc, -1.0);
    EXPECT_DOUBLE_EQ(product.bars[9].lregSlope, -0.5);
}

TEST(StatisticalStudies, ConstantClosesHaveNoTrendAndNoVariance) {
    // Rises into a flat stretch: the windows lying wholly in it are exactly 0.
    std::vector<double> closes = steps(5, 110.0, 0.1);
    closes.resize(25, 110.68);
    ProductRegistry registry;
    const Product& product = addCloses(registry, closes);
    calcTimeSeriesCorrelation(registry, historyName, 9);
    calcLinearRegression(registry, historyName, 9);
    calcNormalDistribution(registry, historyName, 9);
    EXPECT_NE(product.bars[12].tsc, 0.0);
    for (int i = 13; i < 25; ++i) {
        EXPECT_EQ(product.bars[i].tsc, 0.0) << i;
        EXPECT_EQ(product.bars[i].lregSlope, 0.0) << i;
        EXPECT_NEAR(product.bars[i].ndist, 0.0, 1e-20) << i;
    }
}

TEST(StatisticalStudies, NormalDistributionIsTheSampleVariance) {
    ProductRegistry registry;
    const Product& product = addCloses(registry, {1, 2, 3, 5});
    calcNormalDistribution(registry, historyName, 3);
    EXPECT_EQ(product.bars[0].ndist, 0.0);
    EXPECT_EQ(product.bars[1].ndist, 0.0);
    EXPECT_DOUBLE_EQ(product.bars[2].ndist, 1.0);
    EXPECT_DOUBLE_EQ(product.bars[3].ndist, 7.0 / 3.0);
    EXPECT_EQ(pricedColumn(product, &Bar::ndistPeriod), std::vector<std::int32_t>(4, 3));
    EXPECT_EQ(studyFields(product.bars.back()), studyFields(Bar{}));
}

TEST(StatisticalStudies, WindowsLongerThanTheHistoryWriteNothing) {
    ProductRegistry registry;
    const Product& product = addHistory(registry, wavyBars(9));
    calcTimeSeriesCorrelation(registry, historyName, 3);
    calcLinearRegression(registry, historyName, 3);
    calcNormalDistribution(registry, historyName, 3);
    const auto before = studyFields(product);
    calcTimeSeriesCorrelation(registry, historyName, 10);
    calcLinearRegression(registry, historyName, 10);
    calcNormalDistribution(registry, historyName, 9);  // the variance needs more bars than its span
    EXPECT_EQ(studyFields(product), before);

    calcTimeSeriesCorrelation(registry, historyName, 9);
    calcLinearRegression(registry, historyName, 9);
    calcNormalDistribution(registry, historyName, 8);
    EXPECT_EQ(product.bars[8].tscPeriod, 9);
    EXPECT_EQ(product.bars[8].lregPeriod, 9);
    EXPECT_EQ(product.bars[8].ndistPeriod, 8);
}
