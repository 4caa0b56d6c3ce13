#include "search/mean_crossing.h"

#include "data/product.h"
#include "../support/vector_targets.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

using namespace varkel;

namespace {

// A plain, one-lane reading of the rule: the position of bar k + 1 is the sign
// of value[k] minus the mean (plain sum divided by the span) of the span
// values ending at k, once k > warmUp + span.
double referenceReturn(const PnlTable& table, const std::vector<double>& values, int warmUp, int span) {
    const int n = table.historyLength();
    std::vector<std::int8_t> positions(n, 0);
    for (int k = warmUp + span + 1; k + 1 < n; ++k) {
        double sum = 0.0;
        for (int j = k - span + 1; j <= k; ++j) sum += values[j];
        const double d = values[k] - sum / span;
        positions[k + 1] = static_cast<std::int8_t>((d > 0.0) - (d < 0.0));
    }
    return table.finalReturn(positions.data());
}

Product risingProduct(int n) {
    Product product;
    for (int i = 0; i < n; ++i) {
        Bar bar;
        bar.open = 100.0 + 0.37 * i;
        bar.close = bar.open + (i % 3 == 0 ? -0.2 : 0.3);
        product.bars.push_back(bar);
    }
    product.bars.emplace_back();
    return product;
}

// Passes of four, one, three and two spans in turn: a grid's last pass takes
// only the spans it has left, and the next pass must find the windows grown
// by as many bars as the last one took.
int spansOfPass(int pass) { return std::array{4, 1, 3, 2}[pass % 4]; }

// Each lane's return of span + p for the spans of the pass, zero past them.
template <typename Reference>
void expectPass(const lanes::Doubles (&sums)[spansPerPass], int span, int spans, Reference reference) {
    for (int p = 0; p < spansPerPass; ++p)
        for (int lane = 0; lane < lanes::width; ++lane)
            EXPECT_EQ(sums[p][lane], p < spans ? reference(lane, span + p) : 0.0)
                << "lane " << lane << " span " << span + p << " of " << spans;
}

}  // namespace

// Series that repeat one value make the mean tie with the value, or miss it by
// one unit of rounding; any other way of taking the mean (a running sum, a
// reciprocal, a comparison that skips the division without proof) flips such
// days between flat and a trade. Every lane must agree with the plain sum
// divided by the span, on flat stretches and on stretches nudged by an ulp,
// or by a millionth, every few bars.
TEST(MeanCrossing, TiesAreDecidedByExactDivision) {
    const int n = 120;
    const Product product = risingProduct(n);
    const PnlTable table(product);
    const double repeated[lanes::width] = {0.1, 0.7, 1.0 / 3.0, 0.3, 2.2, 0.9, 1e-3, 5.55};
    using Nudge = double (*)(double value, int bar);
    const Nudge nudges[] = {
        [](double value, int) { return value; },
        [](double value, int bar) { return bar % 7 == 3 ? std::nextafter(value, 10.0) : value; },
        [](double value, int bar) { return bar % 5 == 1 ? std::nextafter(value, -10.0) : value; },
        [](double value, int bar) { return bar % 3 == 0 ? value * (1.0 + 1e-6) : value; },
    };
    for (const Nudge nudge : nudges) {
        LaneSeries series;
        series.resize(n);
        std::vector<std::vector<double>> laneValues(lanes::width, std::vector<double>(n));
        for (int i = 0; i < n; ++i)
            for (int lane = 0; lane < lanes::width; ++lane) {
                // Long flat stretches with a step every 40 bars.
                laneValues[lane][i] = nudge(repeated[lane] * (1 + i / 40), i);
                series.values[i][lane] = laneValues[lane][i];
            }
        test::onEveryVectorTarget([&] {
            series.restartWindows(0);
            for (int pass = 0, span = 3; span <= 30; span += spansOfPass(pass++)) {
                lanes::Doubles sums[spansPerPass];
                meanCrossingReturns(table, series, lanes::Ints{}, 0, span, spansOfPass(pass), sums, nullptr);
                expectPass(sums, span, spansOfPass(pass),
                           [&](int lane, int s) { return referenceReturn(table, laneValues[lane], 0, s); });
            }
        });
    }
}

// Lanes that never move, hold NaN or infinities, or carry one huge spike (which
// widens the margin that lets a bar skip the division), each with its own
// warm-up, across several passes that grow the windows as they go.
TEST(MeanCrossing, OddLanesAndUnequalWarmUpsKeepTheRule) {
    const int n = 160;
    const Product product = risingProduct(n);
    const PnlTable table(product);
    using Lane = double (*)(int bar);
    const Lane lanesOf[lanes::width] = {
        [](int) { return 0.0; },
        [](int bar) { return bar % 17 == 5 ? std::nan("") : std::sin(bar * 0.3); },
        [](int bar) { return bar == 70 ? 1e12 : std::cos(bar * 0.2); },
        [](int bar) { return bar % 2 == 0 ? 1e300 : -1e300; },
        [](int bar) { return bar == 90 ? HUGE_VAL : 0.5 + 0.01 * (bar % 9); },
        [](int bar) { return std::floor(bar / 13.0); },
        [](int bar) { return -0.25 * (bar % 5); },
        [](int bar) { return 1e-310 * (bar % 4); },
    };
    LaneSeries series;
    series.resize(n);
    std::vector<std::vector<double>> laneValues(lanes::width, std::vector<double>(n));
    lanes::Ints warmUp;
    for (int lane = 0; lane < lanes::width; ++lane) {
        warmUp[lane] = 2 + 3 * lane;
        for (int i = 0; i < n; ++i) series.values[i][lane] = laneValues[lane][i] = lanesOf[lane](i);
    }
    test::onEveryVectorTarget([&] {
        series.restartWindows(2);
        // Every other pass skips a span: the windows then grow from the
        // length they stand at before the pass.
        for (int pass = 0, span = 3; span <= 27; span += spansOfPass(pass) + pass % 2, ++pass) {
            lanes::Doubles sums[spansPerPass];
            meanCrossingReturns(table, series, warmUp, 2, span, spansOfPass(pass), sums, nullptr);
            expectPass(sums, span, spansOfPass(pass),
                       [&](int lane, int s) { return referenceReturn(table, laneValues[lane], warmUp[lane], s); });
        }
    });
}

// The margin that lets the kernel skip the division rests on each lane's
// largest size; a NaN must keep its lane's largest NaN for the whole series
// (so that no difference passes the margin), also when finite values follow
// it, and an infinity stays the largest. Five bars: the sizes are taken four
// bars at a time and the last one alone.
TEST(MeanCrossing, EachLanesLargestSizeKeepsANaNAndAnInfinity) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::vector<double>> lanesValues = {
        {1e10, nan, 1.0, 2.0, 3.0}, {-3.0, 2.0, -inf, 1.0, 4.0}, {-5.0, 1.0, 2.0, -0.0, -7.5},
        {0.25, -0.5, 0.125, nan, 0.0}, {1.0, 2.0, 3.0, 4.0, nan}};
    const std::vector<double> expected = {nan, inf, 7.5, nan, nan};
    const int n = 5;
    LaneSeries series;
    series.resize(n);
    for (std::size_t lane = 0; lane < lanesValues.size(); ++lane)
        for (int i = 0; i < n; ++i) series.values[i][static_cast<int>(lane)] = lanesValues[lane][i];
    test::onEveryVectorTarget([&] {
        series.restartWindows(0);
        for (std::size_t lane = 0; lane < expected.size(); ++lane) {
            const double largest = series.largest[static_cast<int>(lane)];
            if (std::isnan(expected[lane]))
                EXPECT_TRUE(std::isnan(largest)) << "lane " << lane;
            else
                EXPECT_EQ(largest, expected[lane]) << "lane " << lane;
        }
        for (int lane = static_cast<int>(expected.size()); lane < lanes::width; ++lane) EXPECT_EQ(series.largest[lane], 0.0);
    });
}
