#include "model/measures.h"
#include "model/sharpe_ratio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace varkel;

namespace {

// A product whose real bars carry these daily P&L values, plus the next-day bar.
Product& productWithPnl(ProductRegistry& registry, const std::vector<double>& pnl) {
    Product& product = *registry.addProduct("USD/JPY");
    for (double value : pnl) product.bars.emplace_back().dailyPnl = value;
    product.bars.emplace_back().dailyPnl = 1000.0;  // the next-day bar never counts
    return product;
}

}  // namespace

TEST(AbsDeviationVariance, ComparesMagnitudesWithTheMagnitudeOfTheMean) {
    EXPECT_DOUBLE_EQ(absDeviationVariance(std::vector<double>{2.0, 4.0}), 2.0);
    EXPECT_DOUBLE_EQ(absDeviationVariance(std::vector<double>{-2.0, -4.0}), 2.0);
    // Mean 1: (2 - 1)^2 + (4 - 1)^2 = 10, where the ordinary variance would be 18.
    EXPECT_DOUBLE_EQ(absDeviationVariance(std::vector<double>{-2.0, 4.0}), 10.0);
    EXPECT_DOUBLE_EQ(absDeviationVariance(std::vector<double>{1.0, -1.0, 3.0, -3.0}), 20.0 / 3.0);
    EXPECT_EQ(absDeviationVariance(std::vector<double>{}), 0.0);
}

TEST(SharpeRatio, RollingTwentyBarRatioAndItsMean) {
    // Alternating 2 and 0: every window sums to 20 and has variance 20 / 19, so
    // every ratio is 20 / sqrt(20 / 19) = sqrt(380).
    std::vector<double> pnl;
    for (int i = 0; i < 25; ++i) pnl.push_back(i % 2 == 0 ? 2.0 : 0.0);
    ProductRegistry registry;
    Product& product = productWithPnl(registry, pnl);
    for (Bar& bar : product.bars) bar.rolling20Ratio = -5.0;
    EXPECT_NEAR(sharpeRatio(registry, "USD/JPY"), std::sqrt(380.0), 1e-9);
    for (int k = 0; k < 20; ++k) EXPECT_EQ(product.bars[k].rolling20Ratio, 0.0) << k;
    for (int k = 20; k < 25; ++k) EXPECT_NEAR(product.bars[k].rolling20Ratio, std::sqrt(380.0), 1e-9);
    EXPECT_EQ(product.bars[25].rolling20Ratio, -5.0);
}

TEST(SharpeRatio, ZeroWindowsAndShortHistories) {
    std::vector<double> pnl(21, 0.0);
    pnl[0] = 5.0;  // outside the only window (bars 1 .. 20)
    ProductRegistry registry;
    Product& product = productWithPnl(registry, pnl);
    EXPECT_EQ(sharpeRatio(registry, "USD/JPY"), 0.0);
    EXPECT_EQ(product.bars[20].rolling20Ratio, 0.0);

    ProductRegistry shortRegistry;
    Product& shortProduct = productWithPnl(shortRegistry, std::vector<double>(20, 1.5));
    for (Bar& bar : shortProduct.bars) bar.rolling20Ratio = 3.0;
    EXPECT_EQ(sharpeRatio(shortRegistry, "USD/JPY"), 0.0);
    for (int k = 0; k < 20; ++k) EXPECT_EQ(shortProduct.bars[k].rolling20Ratio, 0.0);

    EXPECT_EQ(sharpeRatio(shortRegistry, "EUR/JPY"), -999.0);
    shortRegistry.addProduct("EUR/JPY");
    EXPECT_EQ(sharpeRatio(shortRegistry, "EUR/JPY"), 0.0);
}

TEST(WinStatistics, CountsRatesAndKelly) {
    ProductRegistry registry;
    productWithPnl(registry, {0.0, 1.0, -1.0, 2.0, 0.0, 3.0});
    double winningRate = 0, losingRate = 0;
    std::int32_t wins = 0, losses = 0, trades = 0;
    const double kelly = winStatistics(registry, "USD/JPY", winningRate, losingRate, wins, losses, trades);
    EXPECT_EQ(wins, 3);
    EXPECT_EQ(losses, 1);
    EXPECT_EQ(trades, 4);
    EXPECT_DOUBLE_EQ(winningRate, 0.75);
    EXPECT_DOUBLE_EQ(losingRate, 0.25);
    EXPECT_DOUBLE_EQ(kelly, 0.75 - 0.25 / 3.0);  // R is the ratio of the counts
}

TEST(WinStatistics, NoLosingDayOrNoTradingDay) {
    double winningRate = 0, losingRate = 0;
    std::int32_t wins = 0, losses = 0, trades = 0;
    ProductRegistry winners;
    productWithPnl(winners, {0.0, 1.0, 2.0});
    EXPECT_EQ(winStatistics(winners, "USD/JPY", winningRate, losingRate, wins, losses, trades), 1.0);

    ProductRegistry idle;
    productWithPnl(idle, {0.0, 0.0});
    EXPECT_TRUE(std::isnan(winStatistics(idle, "USD/JPY", winningRate, losingRate, wins, losses, trades)));
    EXPECT_TRUE(std::isnan(winningRate));
    EXPECT_TRUE(std::isnan(losingRate));
    EXPECT_EQ(trades, 0);

    winningRate = 0.5;
    wins = 7;
    EXPECT_EQ(winStatistics(idle, "EUR/JPY", winningRate, losingRate, wins, losses, trades), -999.0);
    EXPECT_EQ(winningRate, 0.5);
    EXPECT_EQ(wins, 7);
}

TEST(ProfitTotals, GrossLossIsNegativeAndTheTotalsAddUp) {
    ProductRegistry registry;
    productWithPnl(registry, {0.5, 1.25, -2.0, 0.0, 3.5, -0.75});
    double net = 0, profit = 0, loss = 0;
    profitTotals(registry, "USD/JPY", net, profit, loss);
    EXPECT_EQ(profit, 5.25);
    EXPECT_EQ(loss, -2.75);
    EXPECT_EQ(net, 2.5);
    EXPECT_EQ(profit + loss, net);

    net = 9.0;
    profitTotals(registry, "EUR/JPY", net, profit, loss);
    EXPECT_EQ(net, 9.0);
}
