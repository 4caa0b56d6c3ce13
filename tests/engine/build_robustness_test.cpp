// The builder's robustness statistics and plateau selection against a
// straightforward path: every trial back-tested alone by the reference
// search, its blocks summed by hand, fed to the same statistics.
#include "optimiser_reference.h"
#include "../support/files.h"
#include "../support/sample_history.h"

#include "model/trade_model_file.h"
#include "builder/strategy_builder.h"
#include "search/plateau_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>

using namespace varkel;

namespace {

const std::string name = "EUR/JPY";

BuildOptions smallGrids() {
    BuildOptions options;
    options.threads = 2;
    options.grids.macd = {{4, 10}, 16, {7, 11}};
    options.grids.stochastics = {{3, 6}, {3, 5}, {3, 5}};
    options.grids.keltner = {{4, 7}, {4, 6}, {0.5, 0.25, 2.6}};
    options.grids.roc = {{1, 5}, {0.5, 0.1, 2.0}};
    options.grids.lreg = {{3, 20}, {0.0, 0.01, 0.1}};
    options.grids.tsc = {{3, 20}, {0.3, 0.1, 1.0}};
    options.grids.ndist = {{1, 12}, {0.0, 0.25, 2.0}};
    return options;
}

// What the reference sees of one layer: every trial with its block sums
// (bars cut by the rule written out here) and, for trials whose daily P&L
// varies, its per-bar Sharpe ratio from two plain passes over that P&L.
struct ObservedLayer {
    std::vector<reference::Best> trials;
    std::vector<double> blockSums;
    std::vector<double> sharpes;
};

reference::TrialObserver observer(ProductRegistry& registry, int blockCount, ObservedLayer& layer) {
    return [&registry, blockCount, &layer](const reference::Best& trial) {
        const auto& bars = registry.findProduct(name)->bars;
        const long pnlBars = registry.findProduct(name)->historyLength() - 1;
        layer.trials.push_back(trial);
        for (long j = 0; j < blockCount; ++j) {
            double sum = 0.0;
            for (long i = 1 + j * pnlBars / blockCount; i < 1 + (j + 1) * pnlBars / blockCount; ++i)
                sum += bars[static_cast<std::size_t>(i)].dailyPnl;
            layer.blockSums.push_back(sum);
        }
        double mean = 0.0;
        for (long i = 1; i <= pnlBars; ++i) mean += bars[static_cast<std::size_t>(i)].dailyPnl;
        mean /= static_cast<double>(pnlBars);
        double squares = 0.0;
        for (long i = 1; i <= pnlBars; ++i) {
            const double d = bars[static_cast<std::size_t>(i)].dailyPnl - mean;
            squares += d * d;
        }
        if (squares > 0.0) layer.sharpes.push_back(mean / std::sqrt(squares / static_cast<double>(pnlBars - 1)));
    };
}

double sampleVariance(const std::vector<double>& values) {
    double mean = 0.0;
    for (double v : values) mean += v;
    mean /= static_cast<double>(values.size());
    double squares = 0.0;
    for (double v : values) squares += (v - mean) * (v - mean);
    return squares / static_cast<double>(values.size() - 1);
}

void expectSamePbo(const PboResult& built, const PboResult& expected) {
    ASSERT_TRUE(built.valid);
    EXPECT_EQ(built.trialCount, expected.trialCount);
    EXPECT_EQ(built.blockCount, expected.blockCount);
    EXPECT_EQ(built.splitCount, expected.splitCount);
    EXPECT_EQ(built.pbo, expected.pbo);
    EXPECT_EQ(built.medianLogit, expected.medianLogit);
    EXPECT_EQ(built.outOfSampleLossProbability, expected.outOfSampleLossProbability);
    EXPECT_EQ(built.degradationSlope, expected.degradationSlope);
    EXPECT_EQ(built.chosenTrials, expected.chosenTrials);
    EXPECT_EQ(built.logits, expected.logits);
}

ParameterSurface surfaceOf(const std::vector<reference::Best>& trials, bool withThirdSpan, bool withThreshold) {
    ParameterSurface surface;
    surface.parameterNames = {"a", "b"};
    if (withThirdSpan) surface.parameterNames.push_back("c");
    for (const reference::Best& trial : trials) {
        surface.parameters.push_back(trial.span1);
        surface.parameters.push_back(withThirdSpan || !withThreshold ? trial.span2 : trial.threshold);
        if (withThirdSpan) surface.parameters.push_back(trial.span3);
        surface.returns.push_back(trial.bestReturn);
    }
    return surface;
}

std::vector<int> positionsOf(ProductRegistry& registry) { return reference::positions(registry, name); }

}  // namespace

TEST(BuildRobustness, EqualsTheStatisticsOfTheTrialsBackTestedOneByOne) {
    for (const int blockCount : {10, 6}) {
        SCOPED_TRACE(blockCount);
        ProductRegistry built = test::samplePrefix("EUR_JPY.txt", name, 300);
        ProductRegistry straight = built;
        BuildOptions options = smallGrids();
        options.pnlBlockCount = blockCount;
        const test::TempDirectory dir;
        const BuildResult result = buildStrategy(built, name, {StudyKind::Macd, true, StudyKind::RateOfChange}, options);
        ASSERT_EQ(result.outcome, RunOutcome::Done);
        const BuildRobustness& robustness = result.robustness;
        ASSERT_TRUE(robustness.computed);
        EXPECT_EQ(robustness.blockCount, blockCount);

        ObservedLayer base, filter;
        reference::macd(straight, name, options.grids.macd, observer(straight, blockCount, base));
        reference::spanThreshold(straight, name, reference::SpanStudy::Roc, true, options.grids.roc,
                                 observer(straight, blockCount, filter));
        const auto trialCount = [](const ObservedLayer& layer) { return static_cast<std::int64_t>(layer.trials.size()); };
        ASSERT_TRUE(robustness.layers[0] && robustness.layers[1]);
        EXPECT_FALSE(robustness.layers[2]);
        expectSamePbo(*robustness.layers[0], estimatePbo(base.blockSums.data(), trialCount(base), blockCount));
        expectSamePbo(*robustness.layers[1], estimatePbo(filter.blockSums.data(), trialCount(filter), blockCount));
        EXPECT_EQ(robustness.trials, trialCount(base) + trialCount(filter));

        // V from the base trials that vary, and the DSR of the model's P&L.
        const double variance = sampleVariance(base.sharpes);
        EXPECT_EQ(robustness.baseSharpeSpread.trials, static_cast<std::int64_t>(base.sharpes.size()));
        EXPECT_NEAR(robustness.baseSharpeSpread.variance, variance, 1e-12 * variance);
        runBacktest(straight, name);
        std::vector<double> pnl;
        const auto& bars = straight.findProduct(name)->bars;
        for (int i = 1; i < straight.findProduct(name)->historyLength(); ++i) pnl.push_back(bars[i].dailyPnl);
        EXPECT_EQ(positionsOf(straight), positionsOf(built));
        const auto expected = deflateSharpe(pnl.data(), static_cast<std::int64_t>(pnl.size()), variance,
                                            robustness.trials);
        ASSERT_TRUE(expected && robustness.sharpe);
        EXPECT_EQ(robustness.sharpe->moments.count, 300 - 1);  // P&L bars 1 .. N-1
        EXPECT_EQ(robustness.sharpe->moments.sharpe, expected->moments.sharpe);
        EXPECT_EQ(robustness.sharpe->probabilistic, expected->probabilistic);
        EXPECT_NEAR(robustness.sharpe->benchmark, expected->benchmark, 1e-12);
        EXPECT_NEAR(robustness.sharpe->deflated, expected->deflated, 1e-9);
        EXPECT_GT(robustness.sharpe->benchmark, 0.0);  // many trials: the bar is above zero
        EXPECT_LT(robustness.sharpe->deflated, robustness.sharpe->probabilistic);

        // The base surface: every trial in grid order with its parameters and return.
        const ParameterSurface& surface = robustness.baseSurface;
        EXPECT_EQ(surface.parameterNames, (std::vector<std::string>{"fast", "slow", "signal"}));
        ASSERT_EQ(surface.trialCount(), base.trials.size());
        const ParameterSurface expectedSurface = surfaceOf(base.trials, true, false);
        EXPECT_EQ(surface.parameters, expectedSurface.parameters);
        EXPECT_EQ(surface.returns, expectedSurface.returns);
    }
}

TEST(BuildRobustness, BestSelectionBuildsTheSameModelWithOrWithoutTheStatistics) {
    struct Case {
        IndexChoice choice;
        bool fullGrids;
    };
    using K = StudyKind;
    // Keltner's 810,000 trials, then NDIST
    std::vector<Case> cases = {{{K::KeltnerChannels, true, K::NormalDistribution}, true}};
    for (K base : {K::Macd, K::TimeSeriesCorrelation, K::LinearRegression, K::Stochastics, K::KeltnerChannels})
        for (K filter : {K::RateOfChange, K::NormalDistribution, K::TimeSeriesCorrelation, K::LinearRegression})
            if (filter != base)
                cases.push_back({{base, true, filter, true,
                                  filter == K::RateOfChange ? K::NormalDistribution : K::RateOfChange},
                                 false});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(*c.choice.baseKind) << " "
                                        << static_cast<int>(*c.choice.secondKind) << " "
                                        << static_cast<int>(*c.choice.thirdKind));
        const ProductRegistry history = test::samplePrefix("USD_JPY.txt", name, 300);
        BuildOptions options = c.fullGrids ? BuildOptions{} : smallGrids();
        std::map<bool, BuildResult> results;
        std::map<bool, std::vector<int>> positions;
        std::map<bool, std::string> files;
        for (const bool robustness : {true, false}) {
            ProductRegistry registry = history;
            const test::TempDirectory dir;
            options.robustness = robustness;
            results[robustness] = buildStrategy(registry, name, c.choice, options);
            ASSERT_EQ(results[robustness].outcome, RunOutcome::Done);
            positions[robustness] = positionsOf(registry);
            const auto modelPath = dir.path() / "model.pfm";
            ASSERT_TRUE(saveTradeModel(results[robustness].model, modelPath));
            files[robustness] = test::readFile(modelPath);
        }
        EXPECT_EQ(results[true].layerReturns, results[false].layerReturns);
        EXPECT_EQ(files[true], files[false]);
        EXPECT_EQ(positions[true], positions[false]);
        EXPECT_TRUE(results[true].robustness.computed);
        EXPECT_FALSE(results[false].robustness.computed);
        EXPECT_FALSE(results[false].robustness.layers[0].has_value());
    }
}

TEST(PlateauSelection, EveryLayerKeepsThePlateauOfItsOwnTrialsAndReportsItsOwnReturn) {
    const ProductRegistry history = test::samplePrefix("EUR_JPY.txt", name, 300);
    const IndexChoice choice{StudyKind::Macd, true, StudyKind::RateOfChange, true, StudyKind::LinearRegression};
    BuildOptions options = smallGrids();
    options.selection = TrialSelection::plateau;
    std::map<bool, BuildResult> results;
    for (const bool robustness : {true, false}) {
        ProductRegistry registry = history;
        const test::TempDirectory dir;
        options.robustness = robustness;
        results[robustness] = buildStrategy(registry, name, choice, options);
        ASSERT_EQ(results[robustness].outcome, RunOutcome::Done);
    }
    const BuildResult& result = results[true];
    EXPECT_EQ(result.layerReturns, results[false].layerReturns);
    const TradeModel& model = result.model;
    EXPECT_EQ(results[false].model.layers[0].p.spans[0], model.layers[0].p.spans[0]);
    EXPECT_EQ(results[false].model.layers[1].p.setting, model.layers[1].p.setting);

    // Layer by layer: the reference's trials on the plain rebuild of the
    // layers chosen below, their plateau, and a plain back-test of it.
    auto rebuiltUpTo = [&](int layers) {
        ProductRegistry registry = history;
        applyMacd(registry, name, model.layers[0].p.spans[0], model.layers[0].p.spans[1], model.layers[0].p.spans[2], 0.0);
        if (layers >= 2) applyRoc(registry, name, model.layers[1].p.spans[0], model.layers[1].p.setting);
        if (layers >= 3) applyLreg(registry, name, model.layers[2].p.spans[0], model.layers[2].p.setting, true);
        runBacktest(registry, name);
        return registry;
    };
    using Search = std::function<void(ProductRegistry&, const reference::TrialObserver&)>;
    const Search searches[3] = {
        [&](ProductRegistry& r, const auto& observe) { reference::macd(r, name, options.grids.macd, observe); },
        [&](ProductRegistry& r, const auto& observe) {
            reference::spanThreshold(r, name, reference::SpanStudy::Roc, true, options.grids.roc, observe);
        },
        [&](ProductRegistry& r, const auto& observe) {
            reference::spanThreshold(r, name, reference::SpanStudy::Lreg, true, options.grids.lreg, observe);
        }};
    const std::vector<double> kept[3] = {{double(model.layers[0].p.spans[0]), double(model.layers[0].p.spans[1]), double(model.layers[0].p.spans[2])},
                                         {double(model.layers[1].p.spans[0]), model.layers[1].p.setting},
                                         {double(model.layers[2].p.spans[0]), model.layers[2].p.setting}};
    for (int layer = 1; layer <= 3; ++layer) {
        SCOPED_TRACE(layer);
        ProductRegistry straight = layer == 1 ? history : rebuiltUpTo(layer - 1);
        ObservedLayer observed;
        searches[layer - 1](straight, observer(straight, 10, observed));
        const auto plateau = selectPlateau(surfaceOf(observed.trials, layer == 1, layer > 1));
        const reference::Best& trial = observed.trials[static_cast<std::size_t>(plateau.trial)];
        const std::vector<double> expected =
            layer == 1 ? std::vector<double>{double(trial.span1), double(trial.span2), double(trial.span3)}
                       : std::vector<double>{double(trial.span1), trial.threshold};
        EXPECT_EQ(kept[layer - 1], expected);
        EXPECT_EQ(*result.layerReturns[static_cast<std::size_t>(layer - 1)], finalReturn(rebuiltUpTo(layer), name));
    }

    // The rule mattered here: the best build keeps another trial somewhere.
    ProductRegistry bestRegistry = history;
    options.selection = TrialSelection::best;
    const test::TempDirectory dir;
    const BuildResult best = buildStrategy(bestRegistry, name, choice, options);
    EXPECT_NE(best.layerReturns, result.layerReturns);
}

TEST(BuildRobustness, ScoringReportsProgressAndCancels) {
    const ProductRegistry history = test::samplePrefix("EUR_JPY.txt", name, 300);
    BuildOptions options = smallGrids();
    // MACD: 7 fast spans, slow spans up to 16, 5 signal spans.
    const std::int64_t baseTrials = (12 + 11 + 10 + 9 + 8 + 7 + 6) * 5;
    std::map<int, std::vector<std::pair<std::int64_t, std::int64_t>>> reports;
    options.onProgress = [&](int layer, std::int64_t done, std::int64_t total) {
        reports[layer].push_back({done, total});
    };
    {
        ProductRegistry registry = history;
        const test::TempDirectory dir;
        ASSERT_EQ(buildStrategy(registry, name, {StudyKind::Macd, true, StudyKind::RateOfChange}, options).outcome,
                  RunOutcome::Done);
    }
    for (const auto& [layer, layerReports] : reports) {
        SCOPED_TRACE(layer);
        ASSERT_FALSE(layerReports.empty());
        for (std::size_t k = 1; k < layerReports.size(); ++k) {
            EXPECT_GE(layerReports[k].first, layerReports[k - 1].first);
            EXPECT_EQ(layerReports[k].second, layerReports[0].second);
        }
        EXPECT_EQ(layerReports.back().first, layerReports.back().second);
    }
    EXPECT_EQ(reports[1].back().second, baseTrials + baseTrials / 8);

    // Cancelled while the base layer's trials are scored: nothing saved, bars as they were.
    std::atomic<bool> cancel{false};
    options.cancel = &cancel;
    options.onProgress = [&](int, std::int64_t done, std::int64_t) {
        if (done > baseTrials) cancel = true;
    };
    ProductRegistry registry = history;
    const test::TempDirectory dir;
    const BuildResult cancelled = buildStrategy(registry, name, {StudyKind::Macd, true, StudyKind::RateOfChange}, options);
    EXPECT_EQ(cancelled.outcome, RunOutcome::Cancelled);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    ProductRegistry untouched = history;
    EXPECT_EQ(positionsOf(registry), positionsOf(untouched));

    // A block count the statistics refuse is refused up front, unless they are off.
    for (const int blocks : {3, 5, 18, 2}) {
        BuildOptions refused = smallGrids();
        refused.pnlBlockCount = blocks;
        EXPECT_EQ(buildStrategy(registry, name, {StudyKind::Macd}, refused).outcome, RunOutcome::Refused);
        refused.robustness = false;
        EXPECT_EQ(buildStrategy(registry, name, {StudyKind::Macd}, refused).outcome, RunOutcome::Done);
    }
}
