#include "search/setting_runs.h"

#include "data/product.h"
#include "search/run_returns.h"
#include "studies/study_grids.h"
#include "../support/vector_targets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using namespace varkel;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

Product steppingProduct(int n) {
    Product product;
    for (int i = 0; i < n; ++i) {
        Bar bar;
        bar.open = 100.0 + 0.37 * (i % 11);
        bar.close = bar.open + (i % 3 == 0 ? -0.2 : 0.3);
        product.bars.push_back(bar);
    }
    product.bars.emplace_back();
    return product;
}

int positionInRuns(const PositionRuns& runs, int bar, int trial) {
    int position = 0;
    for (const PositionRun* run = runs.begin(bar); run != runs.end(bar) && run->first <= trial; ++run)
        position = run->position;
    return position;
}

// Every trial's position from the runs must be the rule's own, and the runs'
// returns each trial's one-trial back-test, bit for bit, on every target.
template <class Rule>
void expectRunsFollowTheRule(const PositionRuns& runs, int n, Rule rule) {
    const Product product = steppingProduct(n);
    const PnlTable table(product);
    std::vector<std::vector<std::int8_t>> positions(runs.trials(), std::vector<std::int8_t>(n));
    for (int bar = 0; bar < n; ++bar)
        for (int t = 0; t < runs.trials(); ++t) {
            positions[t][bar] = static_cast<std::int8_t>(rule(bar, t));
            ASSERT_EQ(positionInRuns(runs, bar, t), positions[t][bar]) << "bar " << bar << " trial " << t;
        }
    test::onEveryVectorTarget([&] {
        std::vector<double> sums(runs.trials());
        runReturns(table, runs, sums.data());
        for (int t = 0; t < runs.trials(); ++t) EXPECT_EQ(sums[t], table.finalReturn(positions[t].data())) << t;
    });
}

// An evenly stepped grid and two lopsided ones, where the searches' first
// guesses fall short of the bounds or overshoot them.
std::vector<std::vector<double>> evenAndLopsided(const StepRange& grid) {
    std::vector<double> cubes, roots;
    for (const double value : grid.values()) {
        cubes.push_back(value * value * value);
        roots.push_back(std::cbrt(value));
    }
    return {grid.values(), cubes, roots};
}

}  // namespace

// Bars that sit exactly on a band for some multiplier, bands that touch 0,
// and bars whose bands are not monotone in the multiplier (no ATR, a negative
// or infinite one, NaN) must all give each multiplier the band rule's position.
TEST(SettingRuns, KeltnerRunsFollowTheBandRuleOnEdgeBars) {
    for (const std::vector<double>& multipliers : evenAndLopsided({0.01, 0.01, 3.0})) {
        const double m = multipliers[37], z = multipliers[120];
        struct Bands {
            double ema, atr, high, low;
        };
        const std::vector<Bands> bars = {
            {100.0, 0.6, 101.0, 99.5},             // breaks the upper band for small multipliers
            {100.0, 0.6, 100.4, 98.9},             // breaks the lower band
            {100.0, 0.5, 100.0 + m * 0.5, 99.9},   // the high on the upper band of one multiplier
            {100.0, 0.5, 100.1, 100.0 - m * 0.5},  // the low on the lower band
            {z * 0.25, 0.25, z * 0.25 + 1.0, 0.5}, // a lower band of exactly 0
            {100.0, 0.0, 101.0, 100.5},            // no range at all
            {100.0, -0.5, 101.0, 99.0},
            {100.0, inf, 101.0, 99.0},
            {100.0, notANumber, 101.0, 99.0},
            {notANumber, 0.5, 101.0, 99.0},
            {100.0, 0.5, notANumber, 99.0},
            {100.0, 0.5, 101.0, -inf},
        };
        // Every edge bar three times over, and a history shorter than a vector's lanes.
        for (const std::size_t length : {3 * bars.size(), std::size_t{3}}) {
            std::vector<double> ema{0.0, 0.0}, atr{0.0, 0.0}, high{0.0, 0.0}, low{0.0, 0.0};
            for (std::size_t b = 0; b < length; ++b) {
                ema.push_back(bars[b % bars.size()].ema);
                atr.push_back(bars[b % bars.size()].atr);
                high.push_back(bars[b % bars.size()].high);
                low.push_back(bars[b % bars.size()].low);
            }
            const int n = static_cast<int>(ema.size()) + 1;
            const KeltnerColumns columns{high.data(), low.data(), ema.data(), atr.data(), 1};
            test::onEveryVectorTarget([&] {
                PositionRuns runs(static_cast<int>(multipliers.size()));
                keltnerRuns(columns, multipliers, n, runs);
                expectRunsFollowTheRule(runs, n, [&](int bar, int t) {
                    const int k = bar - 1;
                    if (k <= columns.start) return 0;
                    const double upper = ema[k] + multipliers[t] * atr[k], lower = ema[k] - multipliers[t] * atr[k];
                    if (lower == 0.0 || std::isnan(lower)) return 0;
                    if (low[k] < lower && high[k] < upper) return -1;
                    return high[k] > upper && low[k] > lower ? 1 : 0;
                });
            });
        }
    }
}

// Values on a threshold or its negative, zero, NaN and infinities, under each
// rule, with the filters' kept positions cycling through short, flat and long.
TEST(SettingRuns, SpanThresholdRunsFollowEachRule) {
    const std::vector<double> values = {0.25, -0.25, 0.0, 0.7, -0.7, 0.31, notANumber, inf, -inf, 1e-9, 0.999, -0.3};
    std::vector<double> column;
    for (int repeat = 0; repeat < 3; ++repeat) column.insert(column.end(), values.begin(), values.end());
    const int n = static_cast<int>(column.size()) + 1;
    std::vector<std::int8_t> saved(n);
    for (int i = 0; i < n; ++i) saved[i] = static_cast<std::int8_t>(i % 3 - 1);
    struct Case {
        SpanRule rule;
        std::vector<double> thresholds;
    };
    const Case cases[] = {
        {SpanRule::Base, StepRange{-0.5, 0.01, 0.5}.values()},
        {SpanRule::Base, StepRange{0.0, 0.001, 0.5}.values()},
        {SpanRule::Base, evenAndLopsided({0.0, 0.01, 1.0})[1]},
        {SpanRule::Base, evenAndLopsided({0.0, 0.01, 1.0})[2]},
        {SpanRule::MagnitudeFilter, StepRange{0.3, 0.001, 1.0}.values()},
        {SpanRule::RocFilter, StepRange{0.0, 0.01, 1.0}.values()},
        {SpanRule::NdistFilter, StepRange{0.0, 0.01, 1.5}.values()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.rule));
        const std::vector<double>& thresholds = c.thresholds;
        std::vector<double> limits;
        for (const double threshold : thresholds) limits.push_back(std::fabs(threshold));
        ASSERT_TRUE(settingsAscend(c.rule == SpanRule::Base ? thresholds : limits));
        const SpanColumns columns{c.rule, column.data(), saved.data()};
        PositionRuns runs(static_cast<int>(thresholds.size()));
        spanThresholdRuns(columns, thresholds, limits, n, runs);
        expectRunsFollowTheRule(runs, n, [&](int bar, int t) -> int {
            if (bar == 0) return c.rule == SpanRule::Base ? 0 : saved[0];
            const double v = column[bar - 1];
            const int kept = saved[bar];
            switch (c.rule) {
                case SpanRule::Base: return v < -thresholds[t] ? -1 : v > thresholds[t] ? 1 : 0;
                case SpanRule::MagnitudeFilter: return std::fabs(v) < limits[t] ? 0 : kept;
                case SpanRule::RocFilter:
                    return kept == 1 ? (v < -limits[t] ? 0 : 1) : kept == -1 ? (v > limits[t] ? 0 : -1) : 0;
                case SpanRule::NdistFilter: return v < limits[t] ? 0 : kept;
            }
            return 99;
        });
    }
}

TEST(SettingRuns, OnlyFiniteAscendingSettingsTakeRuns) {
    EXPECT_TRUE(settingsAscend({0.1, 0.1, 0.2}));
    EXPECT_FALSE(settingsAscend({0.2, 0.1}));
    EXPECT_FALSE(settingsAscend({0.1, notANumber, 0.3}));
    EXPECT_FALSE(settingsAscend({0.1, inf}));
    EXPECT_FALSE(settingsAscend({}));
}

// The returns take bars a few at a time: every history length over several
// batches ends on a batch of each possible size, and positions that change
// between neighbouring trials and bars end stretches at every kind of bound.
TEST(SettingRuns, RunReturnsAddEveryBarAtAnyHistoryLength) {
    constexpr int trials = 13;
    auto rule = [](int bar, int t) { return bar == 0 ? 0 : (bar * 7 + t / 3 * 5 + t / 5) % 3 - 1; };
    for (int n = 2; n <= 20; ++n) {
        SCOPED_TRACE(n);
        PositionRuns runs(trials);
        for (int bar = 0; bar < n; ++bar) addRunsOfEveryTrial(runs, [&](int t) { return rule(bar, t); });
        expectRunsFollowTheRule(runs, n, rule);
    }
}
