// Choosing every window's trial in one pass over the ledger's rows picks what
// the builder's rule picks window by window: the first strictly best sum,
// never a NaN, nothing when no sum beats the search's start.
#include "search/optimiser_control.h"
#include "search/trial_ledger.h"
#include "search/trial_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

using namespace varkel;

TEST(TrialSelection, EveryWindowChosenInOnePassAsTheFirstStrictlyBest) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double belowStart = searchStartReturn - 1.0;
    // Per row, the sums of the windows: a tie after a NaN; nothing above the
    // search's start; a NaN first, then ties at zero.
    const std::vector<std::vector<double>> rows = {{1.0, belowStart, nan},
                                                   {nan, nan, 0.0},
                                                   {3.0, belowStart, -1.0},
                                                   {3.0, searchStartReturn, 0.0},
                                                   {2.0, belowStart, 0.0}};
    const std::vector<std::optional<std::size_t>> expected = {2, std::nullopt, 1};

    TrialLedger ledger({{0, 10}, {2, 5}, {5, 10}});
    ASSERT_TRUE(ledger.begin(10, rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        std::copy(rows[row].begin(), rows[row].end(), ledger.windowSumsOf(row));
        ledger.record(row, TrialParameters{}, 0.0, 0.0);
    }
    ledger.finish(true);

    const TrialSelector selector(ledger, StudyKind::Macd, TrialSelection::best);
    EXPECT_EQ(selector.selectEach(), expected);
    for (int w = 0; w < 3; ++w) EXPECT_EQ(selector.select(w), expected[static_cast<std::size_t>(w)]) << "window " << w;
}
