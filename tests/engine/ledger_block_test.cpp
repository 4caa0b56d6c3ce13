// On targets with 16 vector registers the lane searches gather each bar's
// daily P&L in blocks of up to ledgerBlockBars bars, cut at the plan's
// boundaries, and add a block to the sums when it is full or a boundary
// comes. Windows placed around those points must still hold the
// straightforward sum on every target: the trial back-tested alone, its
// window summed bar by bar from 0.0.
#include "optimiser_reference.h"
#include "../support/random_history.h"
#include "../support/vector_targets.h"

#include "search/optimisers.h"
#include "search/trial_ledger.h"
#include "search/window_sums.h"

#include <gtest/gtest.h>

#include <functional>

using namespace varkel;

namespace {

const std::string name = "EUR/USD";
constexpr int block = ledgerBlockBars;
constexpr int n = 5 + 4 * block + 60;

// From bar 5 two running sums take the bars (the one from bar 1 and one from
// bar 5): a stretch of exactly one block up to a boundary, then one of exactly
// two blocks, then windows whose ends fall inside blocks with three to four
// sums at once, a one-bar window and windows ending at the last bar.
std::vector<BarWindow> windowsAroundBlocks() {
    const int third = 5 + 3 * block;
    return {{1, n},
            {5, 5 + block},
            {5 + block, third},
            {third, third + block + 1},
            {third + 10, third + 10 + block - 1},
            {third + 20, n},
            {third + 30, third + 31},
            {n - 3, n}};
}

using Reference = std::function<void(ProductRegistry&, const reference::TrialObserver&)>;
using Search = std::function<void(ProductRegistry&, const OptimiserControl&)>;

void expectHandSums(const ProductRegistry& start, const Reference& runReference, const Search& search) {
    const std::vector<BarWindow> windows = windowsAroundBlocks();
    std::vector<std::vector<double>> expected;
    ProductRegistry history = start;
    runReference(history, [&](const reference::Best&) {
        const auto& bars = history.findProduct(name)->bars;
        std::vector<double> sums;
        for (const BarWindow& window : windows) {
            double sum = 0.0;
            for (int i = window.from; i < window.to; ++i) sum += bars[i].dailyPnl;
            sums.push_back(sum);
        }
        expected.push_back(sums);
    });

    test::onEveryVectorTarget([&] {
        for (const int threads : {1, 2}) {
            ProductRegistry fast = start;
            TrialLedger ledger(windows);
            OptimiserControl control;
            control.threads = threads;
            control.ledger = &ledger;
            search(fast, control);
            ASSERT_TRUE(ledger.complete());
            ASSERT_EQ(ledger.rowCount(), expected.size());
            for (std::size_t row = 0; row < expected.size(); ++row)
                for (int w = 0; w < ledger.windowCount(); ++w)
                    ASSERT_EQ(ledger.windowSum(row, w), expected[row][static_cast<std::size_t>(w)])
                        << "row " << row << ", window " << w << " from bar " << windows[w].from;
        }
    });
}

}  // namespace

TEST(LedgerBlocks, WindowsAroundBlockEdgesHoldTheirBarByBarSums) {
    const ProductRegistry history = test::randomHistory(name, n, 11);
    const MacdGrid macd{{3, 6}, 14, {3, 5}};
    expectHandSums(
        history, [&](ProductRegistry& r, const auto& observe) { reference::macd(r, name, macd, observe); },
        [&](ProductRegistry& r, const OptimiserControl& c) { optimiseMacd(r, name, c, macd); });
    const StochasticsGrid stochastics{{3, 5}, {3, 6}, {3, 4}};
    expectHandSums(
        history,
        [&](ProductRegistry& r, const auto& observe) { reference::stochastics(r, name, stochastics, observe); },
        [&](ProductRegistry& r, const OptimiserControl& c) { optimiseStochastics(r, name, c, stochastics); });

    // A filter whose thresholds lie either side of 0 takes the lane kernel
    // that leaves bars flat in every lane out of the block.
    ProductRegistry filtered = history;
    applyMacd(filtered, name, 5, 12, 7, 0.0);
    const SpanThresholdGrid roc{{1, 9}, {-1.0, 0.5, 1.5}};
    expectHandSums(
        filtered,
        [&](ProductRegistry& r, const auto& observe) {
            reference::spanThreshold(r, name, reference::SpanStudy::Roc, true, roc, observe);
        },
        [&](ProductRegistry& r, const OptimiserControl& c) { optimiseRoc(r, name, c, roc); });
}
