#include "search/trial_ledger.h"
#include "model/trade_model_file.h"
#include "robustness/walk_forward.h"

#include "../support/files.h"
#include "../support/sample_history.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace varkel;

// Work whose memory grows with its input is refused with a reason before it
// takes the memory: a walk-forward ledger over its budget (one window per
// fold), a model file far larger than 23 numbers, a model file that is a FIFO.
TEST(MemoryBudget, RefusesWorkBeyondItsBudgetBeforeTakingTheMemory) {
    TrialLedger small(std::vector<BarWindow>(10, BarWindow{0, 100}));
    EXPECT_TRUE(small.begin(200, 810000));  // a Keltner grid with ten windows: about 100 MB
    EXPECT_FALSE(small.overBudget());
    TrialLedger huge(std::vector<BarWindow>(4616, BarWindow{0, 100}));
    EXPECT_FALSE(huge.begin(200, 100000));
    EXPECT_TRUE(huge.overBudget());
    EXPECT_GT(huge.bytesWanted(), TrialLedger::maxBytes);
    EXPECT_EQ(huge.rowCount(), 0u);

    const ProductRegistry registry = test::samplePrefix("USD_JPY.txt", "USD/JPY", 4666);
    IndexChoice choice;
    choice.baseKind = StudyKind::LinearRegression;
    WalkForwardOptions options;
    options.folds = {50, 1, false};
    const WalkForwardReport report = runWalkForward(registry, "USD/JPY", choice, options);
    ASSERT_EQ(report.outcome, RunOutcome::Refused);
    EXPECT_EQ(report.refusal.rfind("Not enough memory for the walk-forward: its 4616 folds would", 0), 0u);

    const auto dir = test::freshDirectory("memory_budget");
    test::writeFile(dir / "big.pfm", std::string(maxTradeModelFileBytes + 1, '1'));
    ASSERT_EQ(::mkfifo((dir / "fifo.pfm").c_str(), 0644), 0);
    for (const char* name : {"big.pfm", "fifo.pfm"}) {
        TradeModel model;
        EXPECT_FALSE(loadTradeModel(model, dir / name)) << name;
    }
}
