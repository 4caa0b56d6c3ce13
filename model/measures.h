#pragma once

#include "data/product_registry.h"
#include "model/trade_model.h"

#include <cstdint>
#include <string_view>

namespace varkel {

// Measures of a back-tested model. They read the dailyPnl that runBacktest left
// in the named product's real bars, so callers run the back-test first. For an
// unknown product they leave every output untouched and return -999.0.

// The model file's Sharpe ratio: the mean of the rolling 20-bar ratios
// (windowSharpe, sharpe_ratio.h) from bar 20 on; 0.0 for a history of 20 bars or fewer.
// Also writes each real bar's rolling20Ratio (0 on the first 20 bars).
double sharpeRatio(ProductRegistry& registry, std::string_view name);

// Counts the winning (> 0), losing (< 0) and trading (non-zero) days and returns
// the Kelly value winningRate - (1 - winningRate) / (winCount / lossCount). The
// divisions are unguarded: no losing day makes the Kelly value the winning rate,
// no trading day makes the rates and the Kelly value not a number.
double winStatistics(const ProductRegistry& registry, std::string_view name, double& winningRate,
                     double& losingRate, std::int32_t& winCount, std::int32_t& lossCount,
                     std::int32_t& tradeCount);

// Sums of all, of the positive and of the negative daily P&L, in bar order.
void profitTotals(const ProductRegistry& registry, std::string_view name, double& netProfit,
                  double& grossProfit, double& grossLoss);

// Fills every measure of the model (Sharpe ratio, Kelly value, rates, counts,
// profit totals) from the back-test in the bars; the indexes stay as they are.
void measureTradeModel(ProductRegistry& registry, std::string_view name, TradeModel& model);

}  // namespace varkel
