#include "optimiser_reference.h"
#include "../support/random_history.h"
#include "../support/sample_history.h"
#include "../support/vector_targets.h"

#include "data/price_file.h"
#include "search/optimisers.h"
#include "search/parallel_search.h"
#include "search/stage_times.h"

#include <gtest/gtest.h>

using namespace varkel;

namespace {

const std::string name = "USD/JPY";

// Histories the searches are checked on: random walks and a real stretch.
std::vector<ProductRegistry> histories() {
    std::vector<ProductRegistry> list;
    list.push_back(test::randomHistory(name, 260, 1));
    list.push_back(test::randomHistory(name, 90, 7));  // shorter than some spans: those trials are skipped
    list.push_back(test::randomHistory(name, 260, 3, 100.0));
    list.push_back(test::samplePrefix("USD_JPY.txt", name, 400));
    return list;
}

void expectSame(const reference::Best& expected, const OptimiserResult& actual) {
    EXPECT_FALSE(actual.cancelled);
    ASSERT_EQ(actual.chosen.has_value(), expected.span1 != -999);
    if (!actual.chosen) return;
    EXPECT_EQ(actual.bestReturn, expected.bestReturn);  // bit for bit
    EXPECT_EQ(*actual.chosen, (LayerParameters{{expected.span1, expected.span2, expected.span3}, expected.threshold}));
}

// Runs the reference on one copy and the fast search (on two threads, on
// every vector target) on others, then compares the bests and the positions
// rebuilt into the bars.
template <typename Reference, typename Fast>
void compareOnEveryHistory(Reference reference, Fast fast) {
    for (ProductRegistry& history : histories()) {
        const ProductRegistry start = history;
        const reference::Best expected = reference(history);
        test::onEveryVectorTarget([&] {
            ProductRegistry copy = start;
            OptimiserControl control;
            control.threads = 2;
            const OptimiserResult actual = fast(copy, control);
            expectSame(expected, actual);
            EXPECT_EQ(reference::positions(copy, name), reference::positions(history, name));
        });
    }
}

// Filters start from a base layer's positions.
void giveBasePositions(ProductRegistry& registry) { applyMacd(registry, name, 5, 12, 7, 0.0); }

}  // namespace

TEST(Optimisers, MacdMatchesTheReference) {
    const MacdGrid grid{{4, 9}, 14, {7, 12}};
    compareOnEveryHistory([&](ProductRegistry& r) { return reference::macd(r, name, grid); },
                          [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c, grid); });
}

TEST(Optimisers, StochasticsMatchesTheReference) {
    const StochasticsGrid grid{{3, 8}, {3, 7}, {3, 6}};
    compareOnEveryHistory(
        [&](ProductRegistry& r) { return reference::stochastics(r, name, grid); },
        [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseStochastics(r, name, c, grid); });
}

TEST(Optimisers, KeltnerMatchesTheReference) {
    const KeltnerGrid grid{{4, 8}, {4, 7}, {0.01, 0.07, 1.5}};
    compareOnEveryHistory([&](ProductRegistry& r) { return reference::keltner(r, name, grid); },
                          [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c, grid); });
}

TEST(Optimisers, LregAndTscAsBaseMatchTheReference) {
    const SpanThresholdGrid lreg{{3, 100}, {0.0, 0.003, 0.1}};
    compareOnEveryHistory(
        [&](ProductRegistry& r) { return reference::spanThreshold(r, name, reference::SpanStudy::Lreg, false, lreg); },
        [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseLreg(r, name, false, c, lreg); });
    const SpanThresholdGrid tsc{{3, 100}, {0.3, 0.01, 1.0}};
    compareOnEveryHistory(
        [&](ProductRegistry& r) { return reference::spanThreshold(r, name, reference::SpanStudy::Tsc, false, tsc); },
        [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseTsc(r, name, false, c, tsc); });
}

TEST(Optimisers, FiltersMatchTheReference) {
    struct Case {
        reference::SpanStudy study;
        SpanThresholdGrid grid;
    };
    const Case cases[] = {{reference::SpanStudy::Lreg, {{3, 100}, {0.0, 0.003, 0.1}}},
                          {reference::SpanStudy::Tsc, {{3, 100}, {0.3, 0.01, 1.0}}},
                          {reference::SpanStudy::Roc, rocGrid()},
                          {reference::SpanStudy::Ndist, {{1, 95}, {0.0, 0.01, 3.0}}}};
    for (const Case& c : cases) {
        compareOnEveryHistory(
            [&](ProductRegistry& r) {
                giveBasePositions(r);
                return reference::spanThreshold(r, name, c.study, true, c.grid);
            },
            [&](ProductRegistry& r, const OptimiserControl& control) {
                giveBasePositions(r);
                switch (c.study) {
                    case reference::SpanStudy::Lreg: return optimiseLreg(r, name, true, control, c.grid);
                    case reference::SpanStudy::Tsc: return optimiseTsc(r, name, true, control, c.grid);
                    case reference::SpanStudy::Roc: return optimiseRoc(r, name, control, c.grid);
                    default: return optimiseNdist(r, name, control, c.grid);
                }
            });
    }
}

// Span-3 windows (a, b, a) of the real closes have a slope of exactly 0: an
// LREG base at threshold 0, applied as the builder applies it or searched,
// stays flat on the day after each of them.
TEST(Optimisers, LregBaseAtThresholdZeroStaysFlatAfterWindowsWithoutTrend) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 4600);
    const auto& bars = history.findProduct(name)->bars;
    std::vector<std::size_t> flatAfter;
    for (std::size_t i = 2; i + 1 < bars.size() - 1; ++i)
        if (bars[i - 2].close == bars[i].close && bars[i - 1].close != bars[i].close) flatAfter.push_back(i + 1);
    ASSERT_GE(flatAfter.size(), 20u);

    ProductRegistry applied = history;
    applyLreg(applied, name, 3, 0.0, false);
    ProductRegistry searched = history;
    const OptimiserResult result = optimiseLreg(searched, name, false, {}, {{3, 3}, {0.0, 1.0, 0.5}});
    ASSERT_TRUE(result.chosen);
    ASSERT_EQ(result.chosen->spans[0], 3);
    ASSERT_EQ(result.chosen->setting, 0.0);
    for (const ProductRegistry* registry : {&applied, &searched})
        for (const std::size_t bar : flatAfter)
            EXPECT_EQ(registry->findProduct(name)->bars[bar].position, 0) << "bar " << bar;
}

TEST(Optimisers, ResultDoesNotDependOnTheThreadCount) {
    ProductRegistry registry = test::samplePrefix("USD_JPY.txt", name, 600);
    const MacdGrid grid{{4, 20}, 30, {7, 20}};
    OptimiserResult results[3];
    for (int threads = 1; threads <= 3; ++threads) {
        ProductRegistry copy = registry;
        OptimiserControl control;
        control.threads = threads;
        results[threads - 1] = optimiseMacd(copy, name, control, grid);
    }
    for (const OptimiserResult& result : results) {
        EXPECT_EQ(result.bestReturn, results[0].bestReturn);
        EXPECT_EQ(result.chosen, results[0].chosen);
    }
}

// Timing the stages reads clocks only: the same trial, the same return, and
// every full-grid search's kernel holds time.
TEST(Optimisers, StageTimesLeaveTheResultAlone) {
    using Search = OptimiserResult (*)(ProductRegistry&, const OptimiserControl&);
    const Search searches[] = {
        [](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c, {{4, 20}, 30, {7, 20}}); },
        [](ProductRegistry& r, const OptimiserControl& c) { return optimiseStochastics(r, name, c, {{3, 12}, {3, 12}, {3, 12}}); },
        [](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c, {{4, 12}, {4, 12}, {0.01, 0.05, 2.0}}); },
    };
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 600);
    for (const Search search : searches) {
        ProductRegistry plain = history, timed = history;
        OptimiserControl control;
        control.threads = 2;
        const OptimiserResult expected = search(plain, control);
        SearchStageTimes times;
        control.stageTimes = &times;
        const OptimiserResult actual = search(timed, control);
        EXPECT_EQ(actual.bestReturn, expected.bestReturn);
        EXPECT_EQ(actual.chosen, expected.chosen);
        EXPECT_EQ(reference::positions(timed, name), reference::positions(plain, name));
        EXPECT_GT(times.seconds(SearchStage::Kernel), 0.0);
        EXPECT_GE(times.seconds(SearchStage::Studies), 0.0);
        EXPECT_GE(times.seconds(SearchStage::Selection), 0.0);
    }
}

// Each worker holds a copy of the history: a request for a million threads
// must not make a million copies.
TEST(Optimisers, WorkersNeverOutnumberTheItemsOrFourPerCore) {
    struct Case {
        int asked, items, workers;
    };
    const int most = maxWorkerThreads();
    const Case cases[] = {{1000000, 3, 3}, {1000000, 1000000, most}, {2, 100, 2}, {1, 0, 1}, {-5, 1, 1}};
    for (const Case& c : cases) {
        OptimiserControl control;
        control.threads = c.asked;
        EXPECT_EQ(workerCountFor(control, c.items), c.workers) << c.asked << " threads, " << c.items << " items";
    }
    EXPECT_GE(most, 4);
}

TEST(Optimisers, ACancelledSearchLeavesTheBarsAlone) {
    ProductRegistry registry = test::samplePrefix("USD_JPY.txt", name, 400);
    giveBasePositions(registry);
    const std::vector<int> before = reference::positions(registry, name);
    std::atomic<bool> cancel{true};
    OptimiserControl control;
    control.cancel = &cancel;
    const OptimiserResult result = optimiseKeltner(registry, name, control);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.chosen);
    EXPECT_EQ(reference::positions(registry, name), before);
}

TEST(Optimisers, GridsHaveTheStandardSizes) {
    EXPECT_EQ(lregGrid().threshold.values().size(), 500u);
    EXPECT_EQ(tscGrid().threshold.values().size(), 700u);
    const auto roc = rocGrid().threshold.values();
    EXPECT_EQ(roc.size(), 451u);
    EXPECT_LT(roc.back(), 5.0);
    EXPECT_GT(roc.back(), 4.9999);
    EXPECT_EQ(ndistGrid().threshold.values().size(), 1501u);
    EXPECT_EQ(KeltnerGrid{}.multiplier.values().size(), 300u);
    // 115 fast spans with 115 .. 1 slow ones above them, times 73 signal spans.
    EXPECT_EQ(trialCount(MacdGrid{}), 115 * 116 / 2 * 73);
    EXPECT_EQ(trialCount(StochasticsGrid{}), 116 * 77 * 57);
    EXPECT_EQ(trialCount(KeltnerGrid{}), 75 * 36 * 300);
    EXPECT_EQ(trialCount(rocGrid()), 19 * 451);
}

// The count of a grid is the total each search reports its progress against,
// on a history longer than every span.
TEST(Optimisers, TrialCountsAreTheTotalsTheSearchesReport) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 300);
    const MacdGrid macd{{4, 20}, 30, {7, 20}};
    const StochasticsGrid stochastics{{3, 12}, {3, 10}, {3, 8}};
    const KeltnerGrid keltner{{4, 12}, {4, 9}, {0.01, 0.05, 2.0}};
    const SpanThresholdGrid lreg{{3, 40}, {0.0, 0.01, 0.5}};
    struct Case {
        std::int64_t count;
        std::function<OptimiserResult(ProductRegistry&, const OptimiserControl&)> search;
    };
    const Case cases[] = {
        {trialCount(macd), [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c, macd); }},
        {trialCount(stochastics),
         [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseStochastics(r, name, c, stochastics); }},
        {trialCount(keltner), [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c, keltner); }},
        {trialCount(lreg), [&](ProductRegistry& r, const OptimiserControl& c) { return optimiseLreg(r, name, false, c, lreg); }},
    };
    for (const Case& c : cases) {
        ProductRegistry copy = history;
        OptimiserControl control;
        std::int64_t reported = 0, done = 0;
        control.onProgress = [&](int, std::int64_t trialsDone, std::int64_t total) {
            reported = total;
            done = trialsDone;
        };
        c.search(copy, control);
        EXPECT_EQ(reported, c.count);
        EXPECT_EQ(done, c.count);
    }
}
