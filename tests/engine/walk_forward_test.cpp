// Walk-forward folds against what they mean: an anchored fold is a normal
// build on the price file cut before its test window; a rolling fold rates
// every trial by its train window, summed by hand from a back-test of the
// trial alone; the test window earns what the daily signal's strategy file shows.
#include "optimiser_reference.h"
#include "../support/files.h"
#include "../support/random_history.h"
#include "../support/sample_history.h"
#include "../support/vector_targets.h"

#include "robustness/history_cut.h"
#include "builder/strategy_builder.h"
#include "model/trade_model_file.h"
#include "robustness/walk_forward.h"
#include "search/saved_model.h"
#include "report/trade_signal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace varkel;

namespace {

const std::string name = "USD/JPY";

// Small grids of every layer kind, so that a test can run many builds.
BuildGrids smallGrids() {
    BuildGrids grids;
    grids.macd = {{4, 7}, 70, {7, 10}};
    grids.stochastics = {{3, 6}, {3, 8}, {3, 6}};
    grids.keltner = {{4, 7}, {4, 6}, {0.2, 0.3, 2.5}};
    grids.lreg = {{3, 60}, {0.0, 0.01, 0.06}};
    grids.tsc = {{3, 60}, {0.3, 0.1, 1.0}};
    grids.roc = {{1, 12}, {0.5, 0.5, 5.0}};
    grids.ndist = {{1, 60}, {0.0, 0.5, 3.0}};
    return grids;
}

IndexChoice choiceOf(int base, int second = -999, int third = -999) {
    auto kind = [](int code) { return code == -999 ? std::nullopt : std::optional(static_cast<StudyKind>(code)); };
    return {kind(base), second != -999, kind(second), third != -999, kind(third)};
}

// Every base kind once, and every filter kind in the 2nd and 3rd place.
const IndexChoice everyKind[] = {choiceOf(5, 9, 11), choiceOf(8, 10), choiceOf(10, 8, 9), choiceOf(12, 11),
                                 choiceOf(13, 10, 8)};

void expectSameModel(const TradeModel& expected, const TradeModel& actual) {
    EXPECT_EQ(actual.layers[0].kind, expected.layers[0].kind);
    EXPECT_EQ(actual.layers[0].p.spans[0], expected.layers[0].p.spans[0]);
    EXPECT_EQ(actual.layers[0].p.spans[1], expected.layers[0].p.spans[1]);
    EXPECT_EQ(actual.layers[0].p.spans[2], expected.layers[0].p.spans[2]);
    EXPECT_EQ(actual.layers[0].p.setting, expected.layers[0].p.setting);
    EXPECT_EQ(actual.layers[1].kind, expected.layers[1].kind);
    EXPECT_EQ(actual.layers[1].p.spans[0], expected.layers[1].p.spans[0]);
    EXPECT_EQ(actual.layers[1].p.setting, expected.layers[1].p.setting);
    EXPECT_EQ(actual.layers[2].kind, expected.layers[2].kind);
    EXPECT_EQ(actual.layers[2].p.spans[0], expected.layers[2].p.spans[0]);
    EXPECT_EQ(actual.layers[2].p.setting, expected.layers[2].p.setting);
}

// Each anchored fold against the builder run on the history cut at the fold's
// test start: the same model, and the build's final return as the in-sample sum.
void expectAnchoredFoldsAreCutBuilds(const ProductRegistry& history, const IndexChoice& choice,
                                     const WalkForwardOptions& options) {
    const WalkForwardReport report = runWalkForward(history, name, choice, options);
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    for (const FoldResult& fold : report.folds) {
        SCOPED_TRACE(testing::Message() << "base " << static_cast<int>(*choice.baseKind) << ", fold at bar " << fold.bars.testFrom);
        ProductRegistry cut = historyCutAt(*history.findProduct(name), fold.bars.testFrom);
        const test::TempDirectory dir;
        BuildOptions build;
        build.grids = options.grids;
        build.threads = 2;
        build.selection = options.selection;
        const BuildResult built = buildStrategy(cut, name, choice, build);
        ASSERT_EQ(built.outcome, RunOutcome::Done);
        expectSameModel(built.model, fold.model);
        EXPECT_EQ(fold.inSampleReturn, finalReturn(cut, name));
    }
}

}  // namespace

TEST(WalkForwardFolds, CutTheHistoryIntoTrainAndTestWindows) {
    const FoldPlan rolling = planFolds(1000, {300, 250, false});
    ASSERT_EQ(rolling.refusal, FoldRefusal::None);
    const std::vector<Fold> expected = {{0, 300, 300, 550}, {250, 550, 550, 800}, {500, 800, 800, 1000}};
    EXPECT_EQ(rolling.folds, expected);  // the last test window is shorter

    const FoldPlan anchored = planFolds(1000, {300, 250, true});
    ASSERT_EQ(anchored.folds.size(), 3u);
    for (const Fold& fold : anchored.folds) EXPECT_EQ(fold.trainFrom, 0);

    const std::vector<Fold> lastBarOnly = {{0, 999, 999, 1000}};
    EXPECT_EQ(planFolds(1000, {999, 250, false}).folds, lastBarOnly);
    EXPECT_EQ(planFolds(1000, {50, 2147483647, false}).folds.size(), 1u);  // no overflow past the end

    EXPECT_EQ(planFolds(1000, {49, 250, false}).refusal, FoldRefusal::TrainTooShort);
    EXPECT_EQ(planFolds(1000, {300, 0, false}).refusal, FoldRefusal::TestTooShort);
    EXPECT_EQ(planFolds(1000, {1000, 250, false}).refusal, FoldRefusal::NothingToTest);
    EXPECT_TRUE(planFolds(1000, {1000, 250, false}).folds.empty());
}

TEST(WalkForward, AnchoredFoldsAreNormalBuildsOnTheCutHistory) {
    const ProductRegistry history = test::randomHistory(name, 230, 5);
    for (const auto selection : {TrialSelection::best, TrialSelection::plateau})
    for (const IndexChoice& choice : everyKind) {
        SCOPED_TRACE(selection == TrialSelection::plateau ? "plateau" : "best");
        WalkForwardOptions options;
        options.selection = selection;
        options.grids = smallGrids();
        options.threads = 2;
        // The first folds are shorter than the longest spans: some trials are
        // skipped there, and the base layer searches the cut history itself.
        options.folds = {50, 60, true};
        expectAnchoredFoldsAreCutBuilds(history, choice, options);
    }
}

TEST(WalkForward, AnchoredFoldOnFullGridsOfARealSample) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 700);
    WalkForwardOptions options;
    options.threads = 2;
    options.folds = {450, 150, true};
    expectAnchoredFoldsAreCutBuilds(history, choiceOf(10, 11), options);
}

TEST(WalkForward, RollingFoldsRateTrialsByTheirTrainWindowOnlyOnEveryTarget) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 300);
    const BuildGrids grids = smallGrids();
    WalkForwardOptions options;
    options.grids = grids;
    options.folds = {100, 60, false};
    std::vector<WalkForwardReport> reports;  // one per vector target
    test::onEveryVectorTarget([&] {
        reports.push_back(runWalkForward(history, name, choiceOf(12, 10), options));
        ASSERT_EQ(reports.back().outcome, RunOutcome::Done);
        ASSERT_EQ(reports.back().folds.size(), 4u);
    });
    ASSERT_FALSE(reports.empty());

    for (std::size_t f = 0; f < reports[0].folds.size(); ++f) {
        // Every trial back-tested alone on the whole history, its train window
        // summed by hand; the first strictly best wins.
        const FoldResult& fold = reports[0].folds[f];
        ProductRegistry whole = history;
        auto windowSum = [&](const BarWindow window) {
            double sum = 0.0;
            for (int i = window.from; i < window.to; ++i) sum += i == 0 ? 0.0 : whole.findProduct(name)->bars[i].dailyPnl;
            return sum;
        };
        const BarWindow train{fold.bars.trainFrom, fold.bars.trainTo};
        reference::Best base, filter;
        auto keepBest = [&](reference::Best& best) {
            return [&, train](const reference::Best& trial) {
                const double sum = windowSum(train);
                if (sum > best.bestReturn) best = {sum, trial.span1, trial.span2, trial.span3, trial.threshold};
            };
        };
        reference::stochastics(whole, name, grids.stochastics, keepBest(base));
        applyStochastics(whole, name, base.span1, base.span2, base.span3, 0.0);
        reference::spanThreshold(whole, name, reference::SpanStudy::Lreg, true, grids.lreg, keepBest(filter));

        for (const WalkForwardReport& report : reports) {
            const FoldResult& onTarget = report.folds[f];
            EXPECT_EQ(onTarget.model.layers[0].p.spans[0], base.span1);
            EXPECT_EQ(onTarget.model.layers[0].p.spans[1], base.span2);
            EXPECT_EQ(onTarget.model.layers[0].p.spans[2], base.span3);
            EXPECT_EQ(onTarget.model.layers[1].p.spans[0], filter.span1);
            EXPECT_EQ(onTarget.model.layers[1].p.setting, filter.threshold);
            EXPECT_EQ(onTarget.inSampleReturn, filter.bestReturn);
        }

        // The test window of the model applied to the whole history.
        applySavedModel(whole, name, fold.model);
        runBacktest(whole, name);
        for (const WalkForwardReport& report : reports)
            EXPECT_EQ(report.folds[f].outOfSampleReturn, windowSum({fold.bars.testFrom, fold.bars.testTo}));
    }
}

TEST(WalkForward, TestWindowEarnsWhatTheDailySignalsStrategyFileShows) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 400);
    WalkForwardOptions options;
    options.grids = smallGrids();
    options.folds = {150, 100, false};
    const WalkForwardReport report = runWalkForward(history, name, choiceOf(5, 9), options);
    ASSERT_EQ(report.outcome, RunOutcome::Done);
    ASSERT_EQ(report.folds.size(), 3u);

    std::size_t stitched = 0;
    for (const FoldResult& fold : report.folds) {
        const test::TempDirectory dir;
        ProductRegistry cut = test::samplePrefix("USD_JPY.txt", name, fold.bars.testTo);
        ASSERT_TRUE(saveTradeModel(fold.model, dir / "USD_JPY.pfm"));
        ASSERT_TRUE(runDailyTradeSignal(cut, name, dir.path()).strategyWritten);

        std::ifstream file(dir / "strategy" / "USD_JPY.csv");
        std::string line;
        double sum = 0.0;
        for (int bar = 0; std::getline(file, line) && bar < fold.bars.testTo; ++bar) {
            std::vector<std::string> fields;
            std::stringstream row(line);
            for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
            ASSERT_EQ(fields.size(), 8u);
            if (bar < fold.bars.testFrom) continue;
            const double daily = std::strtod(fields[6].c_str(), nullptr);  // written with 4 decimals
            EXPECT_NEAR(report.outOfSampleDaily[stitched++], daily, 5e-5) << "bar " << bar;
            sum += daily;
        }
        EXPECT_NEAR(fold.outOfSampleReturn, sum, 5e-5 * fold.bars.testLength());
    }
    EXPECT_EQ(stitched, report.outOfSampleDaily.size());
}

TEST(WalkForward, SameReportAtOneTwoAndThreeThreads) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 400);
    WalkForwardReport reports[3];
    for (int threads = 1; threads <= 3; ++threads) {
        WalkForwardOptions options;
        options.grids = smallGrids();
        options.threads = threads;
        options.folds = {120, 90, false};
        reports[threads - 1] = runWalkForward(history, name, choiceOf(12, 8, 11), options);
        ASSERT_EQ(reports[threads - 1].outcome, RunOutcome::Done);
    }
    for (const WalkForwardReport& report : reports) {
        ASSERT_EQ(report.folds.size(), reports[0].folds.size());
        for (std::size_t k = 0; k < report.folds.size(); ++k) {
            expectSameModel(reports[0].folds[k].model, report.folds[k].model);
            EXPECT_EQ(report.folds[k].inSampleReturn, reports[0].folds[k].inSampleReturn);
            EXPECT_EQ(report.folds[k].outOfSampleReturn, reports[0].folds[k].outOfSampleReturn);
        }
        EXPECT_EQ(report.outOfSampleDaily, reports[0].outOfSampleDaily);
        EXPECT_EQ(report.totals.sharpePerBar, reports[0].totals.sharpePerBar);
        expectSameModel(reports[0].wholeHistoryModel, report.wholeHistoryModel);
        EXPECT_EQ(report.wholeHistoryTestReturn, reports[0].wholeHistoryTestReturn);
    }
}

TEST(WalkForward, ComparesWithTheWholeHistoryBuildOverTheTestedBars) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 300);
    WalkForwardOptions options;
    options.grids = smallGrids();
    options.folds = {100, 80, false};
    const IndexChoice choice = choiceOf(10, 9);
    const WalkForwardReport report = runWalkForward(history, name, choice, options);
    ASSERT_EQ(report.outcome, RunOutcome::Done);

    ProductRegistry whole = history;
    const test::TempDirectory dir;
    BuildOptions build;
    build.grids = options.grids;
    const BuildResult built = buildStrategy(whole, name, choice, build);
    expectSameModel(built.model, report.wholeHistoryModel);
    EXPECT_EQ(report.wholeHistoryTestReturn, dailyPnlSum(*whole.findProduct(name), 100, 300));
    // Its daily curve runs beside the stitched one, bar for bar.
    ASSERT_EQ(report.wholeHistoryDaily.size(), report.outOfSampleDaily.size());
    for (int i = 100; i < 300; ++i)
        EXPECT_EQ(report.wholeHistoryDaily[i - 100], whole.findProduct(name)->bars[i].dailyPnl) << i;
}

TEST(WalkForward, RefusesOrStopsWithoutTouchingTheBars) {
    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 200);
    WalkForwardOptions options;
    options.grids = smallGrids();
    options.folds = {200, 50, false};
    const struct {
        std::string product;
        IndexChoice choice;
        std::string refusal;
    } refusals[] = {
        {name, choiceOf(5),
         "The history has 200 bars: with a train length of 200 no bar is left to test. Choose a shorter train length."},
        {"EUR/JPY", choiceOf(5), "No product EUR/JPY"},
        {name, choiceOf(9), *validateIndexChoice(choiceOf(9))},
    };
    for (const auto& c : refusals) {
        const WalkForwardReport refused = runWalkForward(history, c.product, c.choice, options);
        EXPECT_EQ(refused.outcome, RunOutcome::Refused) << c.refusal;
        EXPECT_EQ(refused.refusal, c.refusal);
    }

    std::atomic<bool> cancel{true};
    options.cancel = &cancel;
    options.folds = {100, 50, false};
    const WalkForwardReport cancelled = runWalkForward(history, name, choiceOf(5, 9), options);
    EXPECT_EQ(cancelled.outcome, RunOutcome::Cancelled);
    EXPECT_TRUE(cancelled.folds.empty());
}

// Any difference in the base layer between neighbouring folds is a parameter
// change, the setting (threshold, multiplier) as much as each span.
TEST(WalkForwardSummary, EveryBaseParameterCountsAsAChange) {
    const Layer base{StudyKind::KeltnerChannels, {{20, 10, -1}, 1.5}};
    const struct {
        const char* what;
        void (*change)(Layer&);
        int changes;
    } cases[] = {
        {"nothing", [](Layer&) {}, 0},
        {"first span", [](Layer& l) { l.p.spans[0] = 21; }, 1},
        {"second span", [](Layer& l) { l.p.spans[1] = 11; }, 1},
        {"third span", [](Layer& l) { l.p.spans[2] = 3; }, 1},
        {"setting only", [](Layer& l) { l.p.setting = 1.51; }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FoldResult first, second;
        first.bars = {0, 100, 100, 102};
        second.bars = {2, 102, 102, 104};
        first.model.layers[0] = base;
        second.model.layers[0] = base;
        c.change(second.model.layers[0]);
        // A filter that differs is no change of the base parameters.
        second.model.layers[1] = Layer{StudyKind::RateOfChange, {{5, -1, -1}, 0.5}};
        EXPECT_EQ(summariseFolds({first, second}, {}).parameterChanges, c.changes);
    }
}

TEST(WalkForwardSummary, TotalsOfAWorkedExample) {
    // Two folds: 100 train bars earning 50 then -1 over 2 test bars; 100 train
    // bars earning 30 then 2.5 over 3 test bars, with other base parameters.
    FoldResult first, second;
    first.bars = {0, 100, 100, 102};
    first.inSampleReturn = 50.0;
    first.outOfSampleReturn = -1.0;
    first.model.layers[0].p.spans[0] = 12;
    second.bars = {2, 102, 102, 105};
    second.inSampleReturn = 30.0;
    second.outOfSampleReturn = 2.5;
    second.model.layers[0].p.spans[0] = 13;
    const std::vector<double> daily = {1.0, -2.0, 3.0, -1.0, 0.5};

    const WalkForwardTotals totals = summariseFolds({first, second}, daily);
    EXPECT_DOUBLE_EQ(totals.netProfit, 1.5);
    EXPECT_DOUBLE_EQ(totals.maxDrawdown, 2.0);  // from 1 down to -1
    // mean 0.3, squared deviations 14.8 over 4 bars: sd sqrt(3.7)
    ASSERT_TRUE(totals.sharpePerBar);
    EXPECT_NEAR(*totals.sharpePerBar, 0.3 / std::sqrt(3.7), 1e-15);
    EXPECT_NEAR(*totals.sharpeAnnualised(), 0.3 / std::sqrt(3.7) * std::sqrt(252.0), 1e-13);
    EXPECT_EQ(totals.profitableFolds, 1);
    EXPECT_DOUBLE_EQ(totals.profitableFoldShare(), 0.5);
    ASSERT_TRUE(totals.efficiency);
    EXPECT_DOUBLE_EQ(*totals.efficiency, (1.5 / 5) / (80.0 / 200));
    EXPECT_EQ(totals.parameterChanges, 1);
    EXPECT_DOUBLE_EQ(*first.efficiency(), -0.5 / 0.5);
    EXPECT_DOUBLE_EQ(*second.efficiency(), (2.5 / 3) / 0.3);

    first.inSampleReturn = 0.0;  // no in-sample gain: no efficiency
    EXPECT_FALSE(first.efficiency());
    EXPECT_FALSE(summariseFolds({first}, {}).sharpePerBar);
    EXPECT_FALSE(summariseFolds({first}, {2.0, 2.0}).sharpePerBar);  // no spread
}

// Fold settings no history accepts are refused in words before any work;
// a run's progress counts the base search and then the folds, as two stages.
TEST(WalkForward, RefusesSettingsInWordsAndCountsInTwoStages) {
    const struct {
        FoldSettings folds;
        std::optional<std::string> refusal;
    } cases[] = {
        {{49, 250, false}, "The train length must be at least 50 bars."},
        {{50, 0, true}, "The test length must be at least 1 bar."},
        {{50, 1, false}, std::nullopt},
        {{2147483647, 1, false}, std::nullopt},  // only a history can be too short for it
    };
    for (const auto& c : cases) {
        WalkForwardOptions options;
        options.folds = c.folds;
        EXPECT_EQ(validateWalkForwardOptions(options), c.refusal) << c.folds.trainBars;
    }

    const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 200);
    WalkForwardOptions options;
    options.grids = smallGrids();
    options.folds = {100, 60, false};
    std::vector<std::pair<int, std::int64_t>> foldReports;
    bool baseAfterFolds = false;
    options.onProgress = [&](int stage, std::int64_t done, std::int64_t total) {
        if (stage == static_cast<int>(WalkForwardStage::FoldBuilds)) {
            foldReports.push_back({static_cast<int>(done), total});
        } else {
            baseAfterFolds = baseAfterFolds || !foldReports.empty();
            EXPECT_EQ(stage, static_cast<int>(WalkForwardStage::BaseSearch));
        }
    };
    ASSERT_EQ(runWalkForward(history, name, choiceOf(5, 9), options).outcome, RunOutcome::Done);
    EXPECT_FALSE(baseAfterFolds);
    EXPECT_EQ(foldReports, (std::vector<std::pair<int, std::int64_t>>{{1, 2}, {2, 2}}));
}
