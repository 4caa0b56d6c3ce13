// The normal distribution and its inverse, the Sharpe ratio moments and the
// deflated Sharpe ratio.
#include "robustness/deflated_sharpe.h"
#include "robustness/normal_distribution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace varkel;

TEST(NormalDistribution, QuantilesMatchTheTables) {
    // Standard normal quantiles to 16 digits (Abramowitz and Stegun 26.2 and
    // the usual critical values); Z(1) = 0.841344746068542948...
    struct Case {
        double p;
        double x;
    };
    for (const Case& c : {Case{0.5, 0.0}, Case{0.975, 1.959963984540054}, Case{0.025, -1.959963984540054},
                          Case{0.95, 1.6448536269514727}, Case{0.99, 2.3263478740408408},
                          Case{0.999, 3.090232306167814}, Case{1e-4, -3.7190164854556804},
                          Case{1e-10, -6.361340902404056}, Case{0.841344746068542948, 1.0},
                          Case{0.01, -2.3263478740408408}})
        EXPECT_NEAR(standardNormalQuantile(c.p), c.x, 4e-15 * std::max(1.0, std::fabs(c.x))) << c.p;
    EXPECT_EQ(standardNormalQuantile(0.0), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(standardNormalQuantile(1.0), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(standardNormalQuantile(-0.1)));
    EXPECT_TRUE(std::isnan(standardNormalQuantile(1.5)));
    EXPECT_TRUE(std::isnan(standardNormalQuantile(std::numeric_limits<double>::quiet_NaN())));
}

TEST(NormalDistribution, DistributionFunctionMatchesTheTablesAndInvertsTheQuantile) {
    EXPECT_EQ(standardNormalCdf(0.0), 0.5);
    EXPECT_NEAR(standardNormalCdf(1.96), 0.9750021048517795, 1e-16);
    EXPECT_NEAR(standardNormalCdf(-1.0), 0.15865525393145705, 1e-16);
    // Round trip over the lower half, far into the tail, where the
    // distribution function keeps full relative precision. At x its relative
    // sensitivity to x is about x^2 (x phi(x) / Z(x) for x << 0), so one
    // rounding of the quantile shows up x^2 times larger.
    for (double p = 1e-300; p < 0.5; p *= 3.7) {
        const double x = standardNormalQuantile(p);
        EXPECT_NEAR(standardNormalCdf(x) / p, 1.0, 4e-16 * (4.0 + x * x)) << p;
        // The upper half mirrors the lower one exactly.
        EXPECT_EQ(standardNormalQuantile(1.0 - p), -standardNormalQuantile(1.0 - (1.0 - p))) << p;
    }
}

TEST(DeflatedSharpe, WorkedExampleOfThePaper) {
    // Bailey and Lopez de Prado, "The Deflated Sharpe Ratio", Journal of
    // Portfolio Management 40(5), 2014, numerical example: 100 independent
    // trials whose annualised Sharpe ratios have variance 0.5; the best has an
    // annualised Sharpe ratio of 2.5 over five years of daily returns
    // (T = 1,250, 250 days a year), skewness -3 and kurtosis 10. The paper
    // finds E[max SR] = 0.1132 per day and DSR = 0.9004 (a published
    // recomputation gives the annualised benchmark as 1.7894).
    const double daysPerYear = 250.0;
    const ReturnMoments best{1250, 2.5 / std::sqrt(daysPerYear), -3.0, 10.0};
    const double benchmark = expectedMaxSharpe(0.5 / daysPerYear, 100);
    EXPECT_NEAR(benchmark, 0.1132, 0.00005);
    EXPECT_NEAR(benchmark * std::sqrt(daysPerYear), 1.7894, 0.0005);
    EXPECT_NEAR(probabilisticSharpe(best, benchmark), 0.9004, 0.00005);
}

TEST(DeflatedSharpe, MoreTrialsDeflateMoreAndOneTrialNotAtAll) {
    const ReturnMoments moments{2000, 0.08, -0.5, 6.0};
    EXPECT_EQ(expectedMaxSharpe(0.002, 1), 0.0);
    double previous = probabilisticSharpe(moments, 0.0);
    for (std::int64_t trials : {2, 10, 100, 10000, 1000000}) {
        const double deflated = probabilisticSharpe(moments, expectedMaxSharpe(0.002, trials));
        EXPECT_LT(deflated, previous) << trials;
        previous = deflated;
    }
    // A benchmark equal to the Sharpe ratio leaves even odds.
    EXPECT_DOUBLE_EQ(probabilisticSharpe(moments, 0.08), 0.5);
    // Normal moments: the standard error is sqrt((1 + SR^2 / 2) / (T - 1)).
    const ReturnMoments normal{2000, 0.08, 0.0, 3.0};
    EXPECT_NEAR(probabilisticSharpe(normal, 0.0), standardNormalCdf(0.08 * std::sqrt(1999.0 / (1.0 + 0.0032))), 1e-15);
}

TEST(DeflatedSharpe, MomentsOfADailyPnlSeries) {
    // By hand: mean 4, deviations -3 -2 -1 0 6; sum of squares 50, of cubes
    // 180, of fourth powers 1394.
    const std::vector<double> pnl{1.0, 2.0, 3.0, 4.0, 10.0};
    const auto moments = describeReturns(pnl.data(), 5);
    ASSERT_TRUE(moments);
    EXPECT_EQ(moments->count, 5);
    EXPECT_NEAR(moments->sharpe, 4.0 / std::sqrt(12.5), 1e-15);
    EXPECT_NEAR(moments->skewness, 36.0 / std::pow(10.0, 1.5), 1e-15);
    EXPECT_NEAR(moments->kurtosis, 2.788, 1e-15);
    // The same Sharpe ratio from running sums.
    const auto fromSums = trialSharpe(20.0, 130.0, 5);
    ASSERT_TRUE(fromSums);
    EXPECT_NEAR(*fromSums, moments->sharpe, 1e-15);

    const std::vector<double> flat(100, 0.0);
    EXPECT_FALSE(describeReturns(flat.data(), 100));
    EXPECT_FALSE(describeReturns(pnl.data(), 1));

    const auto deflated = deflateSharpe(pnl.data(), 5, 0.01, 50);
    ASSERT_TRUE(deflated);
    EXPECT_DOUBLE_EQ(deflated->annualisedSharpe, moments->sharpe * std::sqrt(252.0));
    EXPECT_EQ(deflated->benchmark, expectedMaxSharpe(0.01, 50));
    EXPECT_EQ(deflated->deflated, probabilisticSharpe(*moments, deflated->benchmark));
    EXPECT_EQ(deflated->probabilistic, probabilisticSharpe(*moments, 0.0));
}

TEST(DeflatedSharpe, TrialsWithoutSpreadAreLeftOutOfTheVariance) {
    // A constant nonzero series: its running sums leave only rounding.
    double constantSum = 0.0, constantSquares = 0.0;
    for (int i = 0; i < 3000; ++i) {
        constantSum += 0.1;
        constantSquares += 0.1 * 0.1;
    }
    EXPECT_FALSE(trialSharpe(constantSum, constantSquares, 3000));
    EXPECT_FALSE(trialSharpe(0.0, 0.0, 3000));
    // One day of trading among many still counts.
    EXPECT_TRUE(trialSharpe(0.5, 0.25, 3000));

    const std::vector<double> sums{20.0, 0.0, 10.0, constantSum};
    const std::vector<double> squares{130.0, 0.0, 50.0, constantSquares};
    const TrialSharpeSpread spread = trialSharpeSpread(sums.data(), squares.data(), 4, 5);
    EXPECT_EQ(spread.trials, 2);
    const double a = *trialSharpe(20.0, 130.0, 5);
    const double b = *trialSharpe(10.0, 50.0, 5);
    EXPECT_NEAR(spread.variance, (a - b) * (a - b) / 2.0, 1e-15);
    EXPECT_TRUE(std::isnan(trialSharpeSpread(sums.data(), squares.data(), 2, 5).variance));
}

}  // namespace
