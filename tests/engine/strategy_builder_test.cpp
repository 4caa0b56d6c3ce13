#include "../support/sample_history.h"
#include "model/backtest.h"
#include "search/saved_model.h"
#include "builder/strategy_builder.h"
#include "model/trade_model_file.h"
#include "report/build_texts.h"
#include "studies/study_catalogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mutex>
#include <sstream>

using namespace varkel;

namespace {

std::string refusal(IndexChoice choice) { return validateIndexChoice(choice).value_or(""); }

BuildOptions smallGrids() {
    BuildOptions options;
    options.threads = 2;
    options.grids.macd = {{4, 10}, 16, {7, 11}};
    options.grids.roc = {{1, 5}, {0.5, 0.1, 2.0}};
    options.grids.lreg = {{3, 20}, {0.0, 0.01, 0.1}};
    return options;
}

std::filesystem::path freshDirectory(const std::string& leaf) {
    const auto dir = std::filesystem::temp_directory_path() / ("varkel_build_" + leaf);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

TEST(BuildValidation, RefusesWithTheNineMessages) {
    EXPECT_EQ(refusal({}), "Base Index is must item");
    EXPECT_EQ(refusal({StudyKind::RateOfChange}), "Base Index is must item");
    EXPECT_EQ(refusal({StudyKind::TimeSeriesCorrelation, true, StudyKind::TimeSeriesCorrelation}),
              "Time Series Correlation is assigned in Base Index. Please specify another index in 2nd Index.");
    EXPECT_EQ(refusal({StudyKind::LinearRegression, true, StudyKind::LinearRegression}),
              "Linear Regression is assigned in Base Index. Please specify another index in 2nd Index.");
    EXPECT_EQ(refusal({StudyKind::Macd, true, std::nullopt}), "Please specify some index as 2nd index");
    EXPECT_EQ(refusal({StudyKind::Macd, true, StudyKind::Stochastics}), "Please specify some index as 2nd index");
    EXPECT_EQ(refusal({StudyKind::Macd, true, StudyKind::TimeSeriesCorrelation, true, StudyKind::TimeSeriesCorrelation}),
              "Time Series Correlation is assigned in Base Index or 2nd Index. Please specify another index in 3rd Index.");
    EXPECT_EQ(refusal({StudyKind::LinearRegression, false, std::nullopt, true, StudyKind::LinearRegression}),
              "Linear Regression is assigned in Base Index or 2nd Index. Please specify another index in 3rd Index.");
    EXPECT_EQ(refusal({StudyKind::Macd, true, StudyKind::RateOfChange, true, StudyKind::RateOfChange}),
              "Rate Of Change is assigned in 2nd Index. Please specify another index in 3rd Index.");
    EXPECT_EQ(refusal({StudyKind::Macd, true, StudyKind::NormalDistribution, true, StudyKind::NormalDistribution}),
              "Normal Distribution is assigned in 2nd Index. Please specify another index in 3rd Index.");
    // A 3rd index enabled with nothing selected is refused even when the 2nd is fine.
    EXPECT_EQ(refusal({StudyKind::Macd, true, StudyKind::RateOfChange, true, std::nullopt}), "Please specify some index as 3rd index");
}

TEST(BuildValidation, ChecksTheThirdAgainstTheBaseAloneWhenTheSecondIsOff) {
    EXPECT_EQ(refusal({StudyKind::Macd, false, StudyKind::RateOfChange, true, StudyKind::RateOfChange}), "");
    EXPECT_EQ(refusal({StudyKind::Macd, false, StudyKind::TimeSeriesCorrelation, true, StudyKind::TimeSeriesCorrelation}), "");
    EXPECT_EQ(refusal({StudyKind::KeltnerChannels, true, StudyKind::TimeSeriesCorrelation, true, StudyKind::LinearRegression}), "");
    EXPECT_EQ(studyKindFromListText("Keltner Channels"), StudyKind::KeltnerChannels);
    EXPECT_EQ(studyKindFromListText(""), std::nullopt);
    EXPECT_EQ(studyKindFromListText("RSI"), std::nullopt);  // a study the builder does not use
}

TEST(StrategyBuilder, BuildsAndMeasuresAModelThatSavesAndReadsBack) {
    ProductRegistry registry = test::samplePrefix("EUR_JPY.txt", "EUR/JPY", 300);
    const auto dir = freshDirectory("saves");
    std::vector<int> layersDone;
    std::vector<double> returnsDone;
    BuildOptions options = smallGrids();
    options.onLayerDone = [&](int layer, double bestReturn) {
        layersDone.push_back(layer);
        returnsDone.push_back(bestReturn);
    };
    const BuildResult result = buildStrategy(registry, "EUR/JPY", {StudyKind::Macd, true, StudyKind::RateOfChange, true, StudyKind::LinearRegression}, options);
    ASSERT_EQ(result.outcome, RunOutcome::Done);
    EXPECT_EQ(layersDone, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(std::filesystem::is_empty(dir));  // the caller saves
    const auto modelPath = performanceFilePath(dir, "EUR/JPY");
    ASSERT_TRUE(saveTradeModel(result.model, modelPath));

    TradeModel loaded;
    ASSERT_TRUE(loadTradeModel(loaded, modelPath));
    EXPECT_EQ(loaded.layers[0].kind, StudyKind::Macd);
    EXPECT_EQ(loaded.layers[1].kind, StudyKind::RateOfChange);
    EXPECT_EQ(loaded.layers[2].kind, StudyKind::LinearRegression);
    EXPECT_EQ(loaded.layers[0].p.spans[0], result.model.layers[0].p.spans[0]);
    EXPECT_LT(loaded.layers[0].p.spans[0], loaded.layers[0].p.spans[1]);
    EXPECT_EQ(loaded.layers[1].p.spans[1], -1);

    // An LREG filter never loses against the layer below (its first trial
    // flattens nothing), and the measures describe the rebuilt positions.
    ASSERT_TRUE(result.layerReturns[0] && result.layerReturns[1] && result.layerReturns[2]);
    EXPECT_EQ(returnsDone, (std::vector<double>{*result.layerReturns[0], *result.layerReturns[1],
                                                *result.layerReturns[2]}));
    EXPECT_GE(*result.layerReturns[2], *result.layerReturns[1]);
    const auto& bars = registry.findProduct("EUR/JPY")->bars;
    EXPECT_NEAR(bars[bars.size() - 2].cumulativePnl, result.model.netProfit, 1e-6);
}

TEST(StrategyBuilder, LayersThatDidNotRunHaveNoReturn) {
    ProductRegistry registry = test::samplePrefix("EUR_JPY.txt", "EUR/JPY", 200);
    const BuildResult result = buildStrategy(registry, "EUR/JPY", {StudyKind::Macd}, smallGrids());
    ASSERT_EQ(result.outcome, RunOutcome::Done);
    EXPECT_TRUE(result.layerReturns[0].has_value());
    EXPECT_FALSE(result.layerReturns[1].has_value());
    EXPECT_FALSE(result.layerReturns[2].has_value());
}

TEST(BuildTexts, ReturnsAndMeasuresAsTheWindowAndCommandLineShowThem) {
    EXPECT_EQ(layerReturnText(1234.56789), "Return =  1234.5679");
    EXPECT_EQ(layerReturnText(-0.5), "Return =    -0.5000");
    EXPECT_EQ(buildMeasureText(0.123456, 3), "    0.1235");
    EXPECT_EQ(buildMeasureText(-999.0, 3), " -999.0000");
    // A model that never trades, and a figure without a value, say so in words.
    EXPECT_EQ(buildMeasureText(std::nan(""), 0), "no trades");
    EXPECT_EQ(buildMeasureText(-std::numeric_limits<double>::infinity(), 4), "none");
}

TEST(StrategyBuilder, RefusedOrCancelledBuildsWriteNothing) {
    ProductRegistry registry = test::samplePrefix("EUR_JPY.txt", "EUR/JPY", 300);
    const auto dir = freshDirectory("nothing");
    const BuildResult refused = buildStrategy(registry, "EUR/JPY", {StudyKind::LinearRegression, true, StudyKind::LinearRegression}, smallGrids());
    EXPECT_EQ(refused.outcome, RunOutcome::Refused);
    EXPECT_EQ(refused.refusal, "Linear Regression is assigned in Base Index. Please specify another index in 2nd Index.");

    const std::vector<Bar> before = registry.findProduct("EUR/JPY")->bars;
    std::atomic<bool> cancel{false};
    BuildOptions options = smallGrids();
    options.cancel = &cancel;
    options.onStageStarted = [&](int layer) {
        if (layer == 2) cancel = true;  // after the base layer changed the bars
    };
    const BuildResult cancelled = buildStrategy(registry, "EUR/JPY", {StudyKind::Macd, true, StudyKind::RateOfChange}, options);
    EXPECT_EQ(cancelled.outcome, RunOutcome::Cancelled);
    EXPECT_TRUE(std::filesystem::is_empty(dir));
    const auto& after = registry.findProduct("EUR/JPY")->bars;
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].position, before[i].position);
        EXPECT_EQ(after[i].macdLine, before[i].macdLine);
    }
}


TEST(StrategyBuilder, LeavesTheChartedStudiesAndBringsBackTheModelsPnl) {
    // The user's charts show MACD (30, 10, 9) and a ROC of 12; the build
    // searches MACD and ROC trials of its own.
    ProductRegistry registry = test::samplePrefix("EUR_JPY.txt", "EUR/JPY", 300);
    const std::vector<double> macd{30, 10, 9}, roc{12};
    findStudy(StudyKind::Macd)->compute(registry, "EUR/JPY", macd);
    findStudy(StudyKind::RateOfChange)->compute(registry, "EUR/JPY", roc);
    const std::vector<Bar> charted = registry.findProduct("EUR/JPY")->bars;

    const BuildResult result =
        buildStrategy(registry, "EUR/JPY", {StudyKind::Macd, true, StudyKind::RateOfChange}, smallGrids());
    ASSERT_EQ(result.outcome, RunOutcome::Done);
    ASSERT_NE(result.model.layers[0].p.spans[0], 30);

    // The model's positions and P&L as applying the saved model to a copy gives them.
    ProductRegistry reference = test::samplePrefix("EUR_JPY.txt", "EUR/JPY", 300);
    ASSERT_TRUE(applySavedModel(reference, "EUR/JPY", result.model));
    runBacktest(reference, "EUR/JPY");
    const auto& expected = reference.findProduct("EUR/JPY")->bars;
    const auto& after = registry.findProduct("EUR/JPY")->bars;
    ASSERT_EQ(after.size(), charted.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        for (const StudyKind kind : {StudyKind::Macd, StudyKind::RateOfChange})
            for (const StudyColumn& column : findStudy(kind)->columns)
                ASSERT_EQ(after[i].*column.field, charted[i].*column.field) << column.name << " bar " << i;
        EXPECT_EQ(after[i].position, expected[i].position) << i;
        EXPECT_EQ(after[i].dailyPnl, expected[i].dailyPnl) << i;
        EXPECT_EQ(after[i].cumulativePnl, expected[i].cumulativePnl) << i;
    }
}

TEST(BuildTexts, ChosenParametersAreNamedAsTheCatalogueNamesThem) {
    TradeModel model;
    model.layers[0].kind = StudyKind::Macd;
    model.layers[0].p.spans[0] = 12, model.layers[0].p.spans[1] = 26, model.layers[0].p.spans[2] = 9;
    model.layers[1].kind = StudyKind::RateOfChange;
    model.layers[1].p.spans[0] = 3, model.layers[1].p.setting = 1.5;
    EXPECT_EQ(layerParameterText(model.layers[0]), "fast 12, slow 26, signal 9");
    EXPECT_EQ(layerParameterText(model.layers[1]), "span 3, threshold 1.5");
    EXPECT_EQ(layerParameterText(model.layers[2]), "");
    // A layer no trial was chosen for says so, not "fast -999, ...".
    for (const StudyKind kind : {StudyKind::Macd, StudyKind::RateOfChange, StudyKind::KeltnerChannels}) {
        const Layer none = chosenLayer(kind, std::nullopt);
        EXPECT_TRUE(none.nothingChosen());
        EXPECT_EQ(layerParameterText(none), "nothing chosen (no trial beat the search's start value)");
    }
    EXPECT_FALSE(model.layers[0].nothingChosen());
    EXPECT_FALSE(model.layers[2].nothingChosen());  // not in use
    model.layers[0].kind = StudyKind::KeltnerChannels;
    model.layers[0].p.setting = 2.25;
    EXPECT_EQ(layerParameterText(model.layers[0]), "ema 12, atr 26, multiplier 2.25");
    model.layers[0].kind = StudyKind::LinearRegression;
    model.layers[0].p.setting = 0.05;
    EXPECT_EQ(layerParameterText(model.layers[0]), "span 12, threshold 0.05");
}

// A filter that earns less in sample than the layers before it is named; one
// that earns as much or more, or a layer that did not run, is not.
TEST(BuildTexts, AFilterThatLowersTheReturnIsNamed) {
    TradeModel model;
    model.layers[0].kind = StudyKind::LinearRegression;
    model.layers[1].kind = StudyKind::RateOfChange;
    model.layers[2].kind = StudyKind::NormalDistribution;
    using Returns = std::array<std::optional<double>, 3>;
    const std::pair<Returns, std::vector<std::string>> cases[] = {
        {{342.85, 332.45, std::nullopt}, {"The ROC filter lowers the return from 342.85 to 332.45: the base alone earns more"}},
        {{342.85, 350.0, 349.5}, {"The NDIST filter lowers the return from 350.00 to 349.50: the layers before it "
                                  "alone earn more"}},
        {{-10.0, -20.0, -30.0}, {"The ROC filter lowers the return from -10.00 to -20.00: the base alone earns more",
                                 "The NDIST filter lowers the return from -20.00 to -30.00: the layers before it alone "
                                 "earn more"}},
        {{342.85, 342.85, 400.0}, {}},
        {{342.85, std::nullopt, std::nullopt}, {}},
    };
    for (const auto& [returns, texts] : cases) EXPECT_EQ(filterCostTexts(returns, model), texts);
}

// The number each study needs is the longest of the smallest spans its search
// tries; the searches must cope with a history of exactly that length, and
// one bar fewer is refused before anything is searched or saved.
TEST(StrategyBuilder, RefusesAHistoryShorterThanTheChosenStudiesNeed) {
    struct Case {
        IndexChoice choice;
        int needed;
    };
    const Case cases[] = {
        {{StudyKind::Macd}, 7},         // MACD signal spans start at 7
        {{StudyKind::Stochastics}, 3},  // every stochastics span starts at 3
        // Keltner EMA and ATR spans start at 4; ROC at 1
        {{StudyKind::KeltnerChannels, true, StudyKind::RateOfChange}, 4},
        // normal distribution needs 3 for a variance
        {{StudyKind::LinearRegression, true, StudyKind::NormalDistribution, true, StudyKind::TimeSeriesCorrelation}, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(barsNeededToBuild(c.choice), c.needed);
        const auto dir = freshDirectory("short");
        ProductRegistry shortest = test::samplePrefix("USD_JPY.txt", "USD/JPY", c.needed - 1);
        const BuildResult refused = buildStrategy(shortest, "USD/JPY", c.choice);
        EXPECT_EQ(refused.outcome, RunOutcome::Refused) << c.needed;
        EXPECT_EQ(refused.refusal, "The history of USD/JPY has " + std::to_string(c.needed - 1) +
                                       " bars: a build needs at least " + std::to_string(c.needed));
        EXPECT_TRUE(std::filesystem::is_empty(dir));

        ProductRegistry enough = test::samplePrefix("USD_JPY.txt", "USD/JPY", c.needed);
        BuildOptions options;
        options.threads = 2;
        const BuildResult built = buildStrategy(enough, "USD/JPY", c.choice, options);
        EXPECT_EQ(built.outcome, RunOutcome::Done) << built.refusal;
    }

    ProductRegistry empty;
    empty.addProduct("USD/JPY");  // never loaded: not even the next-day bar
    EXPECT_EQ(buildStrategy(empty, "USD/JPY", {StudyKind::Macd}).refusal,
              "The history of USD/JPY has 0 bars: a build needs at least 7");
}

// The build's run control counts in layers: each layer starts its stage before
// it reports progress, and reports only its own stage.
TEST(StrategyBuilder, EachLayerIsAStageOfTheRunControl) {
    ProductRegistry registry = test::samplePrefix("EUR_JPY.txt", "EUR/JPY", 300);
    BuildOptions options = smallGrids();
    options.robustness = false;
    std::vector<std::string> events;
    std::mutex eventsMutex;
    options.onStageStarted = [&](int layer) { events.push_back("start " + std::to_string(layer)); };
    options.onProgress = [&](int layer, std::int64_t done, std::int64_t total) {
        const std::lock_guard lock(eventsMutex);
        if (done == total) events.push_back("done " + std::to_string(layer));
    };
    const BuildResult built =
        buildStrategy(registry, "EUR/JPY", {StudyKind::Macd, true, StudyKind::RateOfChange}, options);
    ASSERT_EQ(built.outcome, RunOutcome::Done);
    EXPECT_EQ(events, (std::vector<std::string>{"start 1", "done 1", "start 2", "done 2"}));
}
