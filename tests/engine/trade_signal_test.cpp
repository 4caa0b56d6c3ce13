#include "model/trade_model_file.h"
#include "report/sharpe_transition.h"
#include "report/trade_signal.h"

#include "../support/files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

// Closes 100, 101, 102, 103, 90: with a three-bar regression base the model goes
// long on bar 3 (open 102.5), holds on bar 4 and turns short for the next day.
// The whole sequence on this history is checked end to end through the command line.
void addRisingThenFalling(ProductRegistry& registry) {
    Product& product = *registry.addProduct("USD/JPY");
    const double opens[] = {100.0, 100.0, 101.0, 102.5, 103.0};
    const double closes[] = {100.0, 101.0, 102.0, 103.0, 90.0};
    for (int i = 0; i < 5; ++i) {
        Bar& bar = product.bars.emplace_back();
        bar.dateText = "2024010" + std::to_string(i + 1);
        bar.open = bar.high = bar.low = opens[i];
        bar.close = closes[i];
    }
    product.bars.emplace_back();
}

TradeModel regressionModel() {
    TradeModel model;
    model.layers[0].kind = StudyKind::LinearRegression;
    model.layers[0].p.spans[0] = 3;
    model.layers[0].p.setting = 0.0;
    return model;
}

}  // namespace

TEST(DailyTradeSignal, MissingModelOrUnusableBaseWritesNothing) {
    const fs::path dir = test::freshDirectory("signal_nothing");
    ProductRegistry registry;
    addRisingThenFalling(registry);
    TradeSignal signal = runDailyTradeSignal(registry, "USD/JPY", dir);
    EXPECT_FALSE(signal.modelFound);
    EXPECT_FALSE(signal.baseUsable);
    EXPECT_EQ(signal.model.layers[0].kind, StudyKind::NotInUse);
    EXPECT_EQ(signal.signalText + signal.netProfitText, "");
    EXPECT_FALSE(fs::exists(dir / "USD_JPY.pfm"));
    EXPECT_FALSE(fs::exists(dir / "strategy"));

    TradeModel rocBase = regressionModel();
    rocBase.layers[0].kind = StudyKind::RateOfChange;
    ASSERT_TRUE(saveTradeModel(rocBase, dir / "USD_JPY.pfm"));
    const std::string before = test::readFile(dir / "USD_JPY.pfm");
    signal = runDailyTradeSignal(registry, "USD/JPY", dir);
    EXPECT_TRUE(signal.modelFound);
    EXPECT_FALSE(signal.baseUsable);
    EXPECT_EQ(test::readFile(dir / "USD_JPY.pfm"), before);
    EXPECT_FALSE(fs::exists(dir / "strategy"));

    EXPECT_FALSE(runDailyTradeSignal(registry, "EUR/JPY", dir).productFound);
}

TEST(SharpeTransition, ReappliesTheModelOrLeavesTheBarsAlone) {
    ProductRegistry registry;
    addRisingThenFalling(registry);
    Product& product = *registry.findProduct("USD/JPY");
    for (Bar& bar : product.bars) bar.rolling20Ratio = 4.0;
    TradeModel unusable;
    EXPECT_FALSE(recomputeSharpeTransition(registry, "USD/JPY", unusable));
    EXPECT_EQ(product.bars[0].rolling20Ratio, 4.0);
    EXPECT_EQ(product.bars[3].position, 0);

    EXPECT_TRUE(recomputeSharpeTransition(registry, "USD/JPY", regressionModel()));
    EXPECT_EQ(product.bars[3].position, 1);
    EXPECT_NEAR(product.bars[4].cumulativePnl, -63.5, 1e-9);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(product.bars[i].rolling20Ratio, 0.0);
    EXPECT_EQ(product.bars[5].rolling20Ratio, 4.0);
}

TEST(TradeSignal, IsForTheWeekdayAfterTheLastBar) {
    EXPECT_EQ(nextTradingDay("20240716"), 20240717);  // Tuesday -> Wednesday
    EXPECT_EQ(nextTradingDay("20240719"), 20240722);  // Friday -> Monday
    EXPECT_EQ(nextTradingDay("20240720"), 20240722);  // a Saturday bar -> Monday
    EXPECT_EQ(nextTradingDay("20231229"), 20240101);  // over the year's end
    EXPECT_EQ(nextTradingDay("20240228"), 20240229);  // a leap day is a Thursday
    EXPECT_FALSE(nextTradingDay("20241345"));
    EXPECT_FALSE(nextTradingDay("716"));
    EXPECT_FALSE(nextTradingDay(""));
}

// The model written back and the strategy file derived from it agree: when
// either cannot be written neither is, so a strategy file never shows trades
// of a model the model file does not hold. Before, a model write-back refused
// (a build replaced the model meanwhile) still left a new strategy file.
TEST(DailyTradeSignal, WritesTheModelAndTheStrategyFileTogetherOrNeither) {
    ProductRegistry registry;
    addRisingThenFalling(registry);
    const auto signalIn = [&registry](const fs::path& dir) { return runDailyTradeSignal(registry, "USD/JPY", dir); };

    const fs::path blocked = test::freshDirectory("signal_strategy_blocked");
    ASSERT_TRUE(saveTradeModel(regressionModel(), blocked / "USD_JPY.pfm"));
    const std::string model = test::readFile(blocked / "USD_JPY.pfm");
    fs::create_directories(blocked / "strategy/USD_JPY.csv");  // a folder where the strategy file goes
    const TradeSignal noStrategy = signalIn(blocked);
    EXPECT_FALSE(noStrategy.strategyWritten);
    EXPECT_FALSE(noStrategy.modelSaved);
    EXPECT_EQ(test::readFile(blocked / "USD_JPY.pfm"), model);

    const fs::path damaged = test::freshDirectory("signal_model_damaged");
    test::writeFile(damaged / "USD_JPY.pfm", model.substr(0, model.rfind('\n')));  // 22 lines
    const TradeSignal noModel = signalIn(damaged);
    EXPECT_FALSE(noModel.modelSaved);
    EXPECT_FALSE(noModel.strategyWritten);
    EXPECT_FALSE(fs::exists(damaged / "strategy/USD_JPY.csv"));

    const fs::path good = test::freshDirectory("signal_both");
    ASSERT_TRUE(saveTradeModel(regressionModel(), good / "USD_JPY.pfm"));
    const TradeSignal both = signalIn(good);
    EXPECT_TRUE(both.modelSaved) << both.modelError;
    EXPECT_TRUE(both.strategyWritten) << both.strategyError;
    EXPECT_NE(test::readFile(good / "USD_JPY.pfm"), model);  // refreshed figures
    EXPECT_TRUE(fs::exists(good / "strategy/USD_JPY.csv"));
}

// The command line's signal, on the history's own bars, is the workstation's,
// on a copy: the same signal, figures and files, the same trade columns on the
// bars. Only the copy leaves the studies charted on the bars as they were.
TEST(DailyTradeSignal, OnItsOwnBarsGivesTheSignalOfTheCopy) {
    TradeSignal signals[2];
    std::string files[2];
    for (const SignalBars bars : {SignalBars::Copy, SignalBars::Own}) {
        const int k = bars == SignalBars::Own ? 1 : 0;
        ProductRegistry registry;
        addRisingThenFalling(registry);
        Product& product = *registry.findProduct("USD/JPY");
        for (Bar& bar : product.bars) bar.lregSlope = 7.0;  // a study charted before
        const fs::path dir = test::freshDirectory(k == 1 ? "signal_own_bars" : "signal_copied_bars");
        ASSERT_TRUE(saveTradeModel(regressionModel(), dir / "USD_JPY.pfm"));
        signals[k] = runDailyTradeSignal(registry, "USD/JPY", dir, bars);
        ASSERT_TRUE(signals[k].strategyWritten) << signals[k].strategyError;
        files[k] = test::readFile(dir / "USD_JPY.pfm") + test::readFile(dir / "strategy/USD_JPY.csv");
        EXPECT_EQ(product.bars[3].position, Long);
        EXPECT_NEAR(product.bars[4].cumulativePnl, -63.5, 1e-9);
        EXPECT_EQ(product.bars[4].lregSlope == 7.0, bars == SignalBars::Copy);
    }
    EXPECT_EQ(signals[1].signalText, signals[0].signalText);
    EXPECT_EQ(signals[1].netProfitText, signals[0].netProfitText);
    EXPECT_EQ(files[1], files[0]);
}
