// The trial ledger against the straightforward reference: every trial
// back-tested alone on the whole history, its windows summed by hand.
#include "optimiser_reference.h"
#include "../support/random_history.h"
#include "../support/sample_history.h"
#include "../support/vector_targets.h"

#include "search/optimisers.h"
#include "search/trial_ledger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

using namespace varkel;

namespace {

const std::string name = "USD/JPY";

// Nested windows from bar 0, overlapping rolling ones, disjoint blocks, an
// empty window, one ending at the last bar and the whole history.
std::vector<BarWindow> windowsFor(int n) {
    std::vector<BarWindow> windows = {{0, n},         {0, n / 2},           {1, n / 3},          {n / 4, n / 2},
                                      {n / 3, 3 * n / 4}, {n / 2, n}, {7, 7}, {n - 1, n}};
    for (int block = 0; block < 4; ++block) windows.push_back({1 + block * (n - 1) / 4, 1 + (block + 1) * (n - 1) / 4});
    return windows;
}

// Sums of the bars' daily P&L over a window, in bar order from 0.0; bar 0 earns nothing.
double windowSumByHand(const std::vector<Bar>& bars, BarWindow window) {
    double sum = 0.0;
    for (int i = window.from; i < window.to; ++i) sum += i == 0 ? 0.0 : bars[i].dailyPnl;
    return sum;
}

double squaresByHand(const std::vector<Bar>& bars, int n) {
    double sum = 0.0;
    for (int i = 1; i < n; ++i) sum += bars[i].dailyPnl * bars[i].dailyPnl;
    return sum;
}

using Reference = std::function<reference::Best(ProductRegistry&, const reference::TrialObserver&)>;
using Search = std::function<OptimiserResult(ProductRegistry&, const OptimiserControl&)>;

struct Row {
    TrialParameters parameters;
    double finalReturn;
    std::vector<double> sums;
    double squares;
};

// Runs the reference, noting every trial's row by hand, and the search with a
// ledger on two threads on every vector target; the rows, their order and the
// search's own result must agree bit for bit. Returns the reference's rows.
std::vector<Row> compareLedger(ProductRegistry history, const Reference& runReference, const Search& search,
                               std::vector<BarWindow> (*windowsOf)(int) = windowsFor) {
    const ProductRegistry start = history;
    const int n = history.findProduct(name)->historyLength();
    const std::vector<BarWindow> windows = windowsOf(n);

    std::vector<Row> expected;
    const reference::Best best = runReference(history, [&](const reference::Best& trial) {
        const auto& bars = history.findProduct(name)->bars;
        Row row{{{trial.span1, trial.span2, trial.span3}, trial.threshold}, trial.bestReturn, {}, squaresByHand(bars, n)};
        for (const BarWindow& window : windows) row.sums.push_back(windowSumByHand(bars, window));
        expected.push_back(row);
    });

    test::onEveryVectorTarget([&] {
        ProductRegistry fast = start;
        TrialLedger ledger(windows, true);
        OptimiserControl control;
        control.threads = 2;
        control.ledger = &ledger;
        const OptimiserResult result = search(fast, control);
        EXPECT_EQ(result.bestReturn, best.bestReturn);
        ASSERT_TRUE(result.chosen);
        EXPECT_EQ(*result.chosen, (LayerParameters{{best.span1, best.span2, best.span3}, best.threshold}));
        EXPECT_EQ(reference::positions(fast, name), reference::positions(history, name));

        ASSERT_TRUE(ledger.complete());
        ASSERT_EQ(ledger.rowCount(), expected.size());
        for (std::size_t row = 0; row < expected.size(); ++row) {
            SCOPED_TRACE(testing::Message() << "row " << row);
            ASSERT_EQ(ledger.parameters(row), expected[row].parameters);
            EXPECT_EQ(ledger.finalReturn(row), expected[row].finalReturn);
            EXPECT_EQ(ledger.sumOfSquares(row), expected[row].squares);
            for (int w = 0; w < ledger.windowCount(); ++w) ASSERT_EQ(ledger.windowSum(row, w), expected[row].sums[w]);
        }
    });
    return expected;
}

std::vector<ProductRegistry> histories() {
    std::vector<ProductRegistry> list;
    list.push_back(test::randomHistory(name, 90, 7));  // shorter than some spans: those trials have no row
    list.push_back(test::randomHistory(name, 220, 3, 100.0));
    list.push_back(test::samplePrefix("USD_JPY.txt", name, 300));
    return list;
}

void giveBasePositions(ProductRegistry& registry) { applyMacd(registry, name, 5, 12, 7, 0.0); }

}  // namespace

TEST(TrialLedger, BaseSearchesRecordEveryTrialAsTheReferenceSumsIt) {
    const MacdGrid macd{{4, 9}, 95, {7, 12}};  // slow spans beyond the short history are skipped
    const StochasticsGrid stochastics{{3, 5}, {3, 12}, {3, 7}};
    const KeltnerGrid keltner{{4, 6}, {4, 6}, {0.01, 0.11, 1.5}};
    const SpanThresholdGrid lreg{{3, 95}, {0.0, 0.01, 0.05}};
    const SpanThresholdGrid tsc{{3, 95}, {0.3, 0.1, 1.0}};
    for (const ProductRegistry& history : histories()) {
        compareLedger(
            history, [&](ProductRegistry& r, const auto& observe) { return reference::macd(r, name, macd, observe); },
            [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c, macd); });
        compareLedger(
            history,
            [&](ProductRegistry& r, const auto& observe) { return reference::stochastics(r, name, stochastics, observe); },
            [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseStochastics(r, name, c, stochastics); });
        compareLedger(
            history,
            [&](ProductRegistry& r, const auto& observe) { return reference::keltner(r, name, keltner, observe); },
            [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c, keltner); });
        compareLedger(
            history,
            [&](ProductRegistry& r, const auto& observe) {
                return reference::spanThreshold(r, name, reference::SpanStudy::Lreg, false, lreg, observe);
            },
            [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseLreg(r, name, false, c, lreg); });
        compareLedger(
            history,
            [&](ProductRegistry& r, const auto& observe) {
                return reference::spanThreshold(r, name, reference::SpanStudy::Tsc, false, tsc, observe);
            },
            [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseTsc(r, name, false, c, tsc); });
    }
}

// Windows that never overlap, as the overfitting statistics' blocks: the
// vector code adds their bars by other paths than those of overlapping
// windows (on AVX2, in blocks of bars gathered by the kernel). Blocks longer
// and shorter than such a block of bars, bars in no window, a window of one bar.
std::vector<BarWindow> disjointWindowsFor(int n) {
    return {{1, 40}, {40, n / 2}, {n / 2 + 30, n / 2 + 31}, {n / 2 + 31, n}};
}

TEST(TrialLedger, DisjointWindowsRecordEveryTrialAsTheReferenceSumsIt) {
    const MacdGrid macd{{4, 9}, 40, {7, 12}};
    const StochasticsGrid stochastics{{3, 5}, {3, 12}, {3, 7}};
    for (const ProductRegistry& history : histories()) {
        compareLedger(
            history, [&](ProductRegistry& r, const auto& observe) { return reference::macd(r, name, macd, observe); },
            [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c, macd); },
            disjointWindowsFor);
        compareLedger(
            history,
            [&](ProductRegistry& r, const auto& observe) { return reference::stochastics(r, name, stochastics, observe); },
            [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseStochastics(r, name, c, stochastics); },
            disjointWindowsFor);
    }
}

// The MACD search packs its (fast, slow) pairs eight to a work item across
// fast spans: items that mix fast spans, lanes whose slow spans lie far apart,
// and pairs left out because a span has no average (fast spans below the
// least the study takes, slow spans beyond a short history). On a coarse price
// grid many trials tie at the best return, in several fast spans, so only the
// first of them in grid order passes.
TEST(TrialLedger, MacdSearchPackedAcrossFastSpansRecordsEveryTrialAndTheFirstBest) {
    const MacdGrid macd{{1, 10}, 70, {3, 6}};
    struct Case {
        ProductRegistry history;
        bool tied;
    };
    Case cases[] = {{test::randomHistory(name, 60, 11), false}, {test::randomHistory(name, 66, 5, 200.0), true}};
    for (Case& c : cases) {
        const std::vector<Row> rows = compareLedger(
            c.history, [&](ProductRegistry& r, const auto& observe) { return reference::macd(r, name, macd, observe); },
            [&](ProductRegistry& r, const OptimiserControl& control) { return optimiseMacd(r, name, control, macd); });
        if (!c.tied) continue;
        double best = rows.front().finalReturn;
        for (const Row& row : rows) best = std::max(best, row.finalReturn);
        std::set<int> tiedFastSpans;
        for (const Row& row : rows)
            if (row.finalReturn == best) tiedFastSpans.insert(row.parameters.spans[0]);
        EXPECT_GE(tiedFastSpans.size(), 3u) << "the history no longer ties the best across items";
    }
}

TEST(TrialLedger, FilterSearchesRecordEveryTrialAsTheReferenceSumsIt) {
    struct Case {
        reference::SpanStudy study;
        SpanThresholdGrid grid;
    };
    const Case cases[] = {{reference::SpanStudy::Lreg, {{3, 95}, {0.0, 0.01, 0.05}}},
                          {reference::SpanStudy::Tsc, {{3, 95}, {0.3, 0.1, 1.0}}},
                          {reference::SpanStudy::Roc, {{1, 19}, {0.5, 0.5, 5.0}}},
                          {reference::SpanStudy::Ndist, {{1, 95}, {0.0, 0.5, 3.0}}},
                          // Thresholds either side of 0: their limits do not ascend, so
                          // these take the lane kernels instead of the position runs.
                          {reference::SpanStudy::Lreg, {{3, 40}, {-0.02, 0.01, 0.03}}},
                          {reference::SpanStudy::Roc, {{1, 9}, {-1.0, 0.5, 1.5}}}};
    for (ProductRegistry& history : histories()) {
        giveBasePositions(history);
        for (const Case& c : cases) {
            compareLedger(
                history,
                [&](ProductRegistry& r, const auto& observe) {
                    return reference::spanThreshold(r, name, c.study, true, c.grid, observe);
                },
                [&](ProductRegistry& r, const OptimiserControl& control) {
                    switch (c.study) {
                        case reference::SpanStudy::Lreg: return optimiseLreg(r, name, true, control, c.grid);
                        case reference::SpanStudy::Tsc: return optimiseTsc(r, name, true, control, c.grid);
                        case reference::SpanStudy::Roc: return optimiseRoc(r, name, control, c.grid);
                        default: return optimiseNdist(r, name, control, c.grid);
                    }
                });
        }
    }
}

TEST(TrialLedger, StaysIncompleteForWindowsOutsideTheHistoryOrACancelledSearch) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 200);
    const KeltnerGrid grid{{4, 5}, {4, 5}, {0.5, 0.5, 2.0}};
    ProductRegistry plain = history;
    const OptimiserResult expected = optimiseKeltner(plain, name, {}, grid);

    for (const BarWindow outside : {BarWindow{0, 201}, BarWindow{-1, 10}, BarWindow{20, 10}}) {
        ProductRegistry copy = history;
        TrialLedger ledger({{0, 10}, outside});
        OptimiserControl control;
        control.ledger = &ledger;
        const OptimiserResult result = optimiseKeltner(copy, name, control, grid);
        EXPECT_FALSE(ledger.complete());
        EXPECT_EQ(ledger.rowCount(), 0u);
        EXPECT_EQ(result.bestReturn, expected.bestReturn);  // the search itself is unchanged
    }

    ProductRegistry copy = history;
    TrialLedger ledger({{0, 200}});
    std::atomic<bool> cancel{true};
    OptimiserControl control;
    control.ledger = &ledger;
    control.cancel = &cancel;
    EXPECT_TRUE(optimiseKeltner(copy, name, control, grid).cancelled);
    EXPECT_FALSE(ledger.complete());
    EXPECT_EQ(ledger.rowCount(), 0u);
}
