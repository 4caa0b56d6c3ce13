#include "studies/normal_dist_calc.h"
#include "studies/series_stats.h"
#include "../support/sample_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace varkel;

namespace {

using Operation = std::function<std::vector<double>(std::span<const double>, int)>;

struct NamedOperation {
    std::string name;
    Operation run;
};

std::vector<NamedOperation> seriesOperations() {
    const SeriesStats stats;
    return {
        {"movingAverage", [stats](auto v, int span) { return stats.movingAverage(v, span); }},
        {"slope", [stats](auto v, int span) { return stats.slope(v, span); }},
        {"correlation", [stats](auto v, int span) { return stats.correlation(v, span); }},
        {"upRatio", [stats](auto v, int span) { return stats.upRatio(v, span); }},
    };
}

}  // namespace

TEST(SeriesStats, GivesNoResultWhenTheWindowCannotBeFilled) {
    const std::vector<double> five{1, 2, 3, 4, 5};
    const std::vector<double> one{1};
    for (const auto& [name, run] : seriesOperations()) {
        EXPECT_TRUE(run(five, 6).empty()) << name << ": n < span";
        EXPECT_TRUE(run(five, 1).empty()) << name << ": span < 2";
        EXPECT_TRUE(run(five, 0).empty()) << name << ": span 0";
        EXPECT_TRUE(run(one, 1).empty()) << name << ": n < 2";
        EXPECT_EQ(run(five, 5).size(), 5u) << name << ": n == span has a result";
    }
}

TEST(SeriesStats, MovingAverageIsTheMeanOfTheLastSpanValues) {
    EXPECT_EQ(SeriesStats().movingAverage(std::vector<double>{1, 2, 3, 4, 9}, 3),
              (std::vector<double>{0, 0, 2, 3, 16.0 / 3}));
    EXPECT_EQ(SeriesStats().movingAverage(std::vector<double>{4, 8}, 2), (std::vector<double>{0, 6}));
}

TEST(SeriesStats, SlopeAndCorrelationOfAHandWorkedWindow) {
    // Window 1, 2, 4 against x = 1, 2, 3: centred x -1, 0, 1 and y 0, 1, 3 give
    // Sxx 2, Sy 4, Syy 10, Sxy 3: slope 3 / 2, correlation 3 * 3 / sqrt(3 * 2 * (30 - 16)).
    const std::vector<double> v{1, 2, 4};
    EXPECT_EQ(SeriesStats().slope(v, 3), (std::vector<double>{0, 0, 9.0 / 6.0}));
    const std::vector<double> r = SeriesStats().correlation(v, 3);
    EXPECT_DOUBLE_EQ(r[2], 9.0 / std::sqrt(6.0 * 14.0));
    EXPECT_EQ(r[0] + r[1], 0.0);
}

TEST(SeriesStats, SlopeAndCorrelationOfStraightLines) {
    const std::vector<double> up{100.0, 100.25, 100.5, 100.75, 101.0};
    const std::vector<double> down{3.0, 2.0, 1.0, 0.0, -1.0};
    for (int i = 2; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(SeriesStats().slope(up, 3)[i], 0.25);
        EXPECT_DOUBLE_EQ(SeriesStats().correlation(up, 3)[i], 1.0);
        EXPECT_DOUBLE_EQ(SeriesStats().slope(down, 3)[i], -1.0);
        EXPECT_DOUBLE_EQ(SeriesStats().correlation(down, 3)[i], -1.0);
    }
}

TEST(SeriesStats, FlatWindowsHaveExactlyNoSlopeAndNoCorrelation) {
    // Prices that are not exact binary fractions: the window sums cancel only
    // up to rounding, which must not leak out as noise or NaN.
    for (double price = 100.00; price < 101.0; price += 0.01) {
        const std::vector<double> flat(20, price);
        for (int span : {3, 9, 14, 20}) {
            for (double value : SeriesStats().slope(flat, span)) ASSERT_EQ(value, 0.0) << price;
            for (double value : SeriesStats().correlation(flat, span)) ASSERT_EQ(value, 0.0) << price;
        }
    }
}

// Where the exact slope is 0 but the window is not flat (a, b, a), one-pass
// sums on raw prices leave a signed rounding error of 1e-14 .. 1e-12; a rule
// with threshold 0 would then trade where it must stay flat.
TEST(SeriesStats, WindowsThatReturnToTheirFirstValueHaveExactlyNoSlopeAndNoCorrelation) {
    const double pairs[][2] = {{123.15, 123.16}, {123.16, 123.15}, {100.01, 99.99}, {0.1, 0.3},
                               {1.2345, 1.2346}, {250.37, 249.91}, {77.7, 77.71}};
    for (const auto& [a, b] : pairs) {
        const std::vector<double> window{a, b, a};
        EXPECT_EQ(SeriesStats().slope(window, 3)[2], 0.0) << a << ", " << b;
        EXPECT_EQ(SeriesStats().correlation(window, 3)[2], 0.0) << a << ", " << b;
        // Mirrored about the middle bar, any odd window has no trend either.
        const std::vector<double> five{a, b, 2 * b - a + 0.5, b, a};
        EXPECT_EQ(SeriesStats().slope(five, 5)[4], 0.0) << a << ", " << b;
        EXPECT_EQ(SeriesStats().correlation(five, 5)[4], 0.0) << a << ", " << b;
    }
}

// Every window of the USD/JPY closes against exact integer arithmetic on the
// same doubles (each close times 2^46 is an integer): the one-pass sums lose
// up to 4e-8 of a correlation here, the centred ones nothing that shows at 1e-12.
TEST(SeriesStats, SlopeAndCorrelationAgreeWithExactArithmeticOnRealCloses) {
    const std::vector<double> closes = test::sampleCloses("USD_JPY.txt", 4600);
    constexpr int scale = 46;
    __extension__ typedef __int128 Int128;
    std::vector<Int128> y;
    for (const double close : closes) {
        const double scaled = std::ldexp(close, scale);
        ASSERT_EQ(scaled, std::floor(scaled)) << close;
        y.push_back(static_cast<Int128>(scaled));
    }
    for (const int span : {3, 4, 14, 60, 139}) {
        const std::vector<double> slope = SeriesStats().slope(closes, span);
        const std::vector<double> correlation = SeriesStats().correlation(closes, span);
        double worstSlope = 0.0, worstCorrelation = 0.0;
        for (std::size_t last = span - 1; last < closes.size(); ++last) {
            Int128 sx = 0, sxx = 0, sy = 0, syy = 0, sxy = 0;
            for (int x = 1; x <= span; ++x) {
                const Int128 value = y[last + 1 - span + x - 1];
                sx += x;
                sxx += x * x;
                sy += value;
                syy += value * value;
                sxy += x * value;
            }
            const Int128 numerator = span * sxy - sx * sy;
            const Int128 xSpread = span * sxx - sx * sx;
            const Int128 ySpread = span * syy - sy * sy;
            const long double exactSlope = std::ldexp(static_cast<long double>(numerator) / xSpread, -scale);
            const long double exactCorrelation =
                ySpread == 0 ? 0.0L
                             : static_cast<long double>(numerator) /
                                   std::sqrt(static_cast<long double>(xSpread) * static_cast<long double>(ySpread));
            worstSlope = std::max(worstSlope, static_cast<double>(std::fabs(slope[last] - exactSlope)));
            worstCorrelation =
                std::max(worstCorrelation, static_cast<double>(std::fabs(correlation[last] - exactCorrelation)));
        }
        EXPECT_LE(worstSlope, 1e-12) << "span " << span;
        EXPECT_LE(worstCorrelation, 1e-12) << "span " << span;
    }
}

TEST(SeriesStats, UpRatioSharesRisesAmongTheLastSpanChanges) {
    // From index span on; changes +1 -1 give 1/2, changes -1 +2 give 2/3.
    EXPECT_EQ(SeriesStats().upRatio(std::vector<double>{1, 2, 1, 3}, 2),
              (std::vector<double>{0, 0, 0.5, 2.0 / 3.0}));
    EXPECT_EQ(SeriesStats().upRatio(std::vector<double>{5, 5, 5, 5}, 2), (std::vector<double>(4, 0.0)));
    EXPECT_EQ(SeriesStats().upRatio(std::vector<double>{1, 2, 3}, 3), (std::vector<double>(3, 0.0)));
    EXPECT_EQ(SeriesStats().upRatio(std::vector<double>{3, 2, 1, 0}, 3), (std::vector<double>(4, 0.0)));
    EXPECT_EQ(SeriesStats().upRatio(std::vector<double>{0, 1, 3, 3}, 3), (std::vector<double>{0, 0, 0, 1}));
}

TEST(NormalDistCalc, SampleVarianceOfAHandWorkedSeries) {
    // Window 1,2,3: mean 2, squares 1+0+1 over 2 = 1. Window 2,3,5: 42/9 over 2 = 7/3.
    const std::vector<double> r = NormalDistCalc().compute(std::vector<double>{1, 2, 3, 5}, 3);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0], 0.0);
    EXPECT_EQ(r[1], 0.0);
    EXPECT_DOUBLE_EQ(r[2], 1.0);
    EXPECT_DOUBLE_EQ(r[3], 7.0 / 3.0);
}

TEST(NormalDistCalc, NeedsMoreValuesThanTheSpan) {
    const NormalDistCalc calc;
    EXPECT_TRUE(calc.compute(std::vector<double>{1, 2, 3}, 3).empty());
    EXPECT_EQ(calc.compute(std::vector<double>{1, 2, 3}, 2).size(), 3u);
    EXPECT_TRUE(calc.compute(std::vector<double>{1, 2, 3}, 1).empty());
    EXPECT_TRUE(calc.compute(std::vector<double>{1}, 2).empty());
}
