#include "model/measures.h"

#include "model/sharpe_ratio.h"

#include <array>
#include <vector>

namespace varkel {

namespace {

constexpr double unknownProduct = -999.0;

}  // namespace

double sharpeRatio(ProductRegistry& registry, std::string_view name) {
    Product* product = registry.findProduct(name);
    if (product == nullptr) return unknownProduct;
    const int n = product->historyLength();
    if (n < 1) return 0.0;
    std::vector<Bar>& bars = product->bars;
    std::vector<double> ratios(static_cast<std::size_t>(n), 0.0);
    for (int k = n - 1; k >= sharpeWindowBars; --k) {
        // The window newest first: x[k], x[k-1], .., x[k-19].
        std::array<double, sharpeWindowBars> window;
        for (int j = 0; j < sharpeWindowBars; ++j) window[j] = bars[k - j].dailyPnl;
        ratios[k] = windowSharpe(window);
    }
    for (int k = 0; k < n; ++k) bars[k].rolling20Ratio = ratios[k];
    if (n <= sharpeWindowBars) return 0.0;
    double total = 0.0;
    for (int k = sharpeWindowBars; k < n; ++k) total += ratios[k];
    return total / (n - sharpeWindowBars);
}

double winStatistics(const ProductRegistry& registry, std::string_view name, double& winningRate,
                     double& losingRate, std::int32_t& winCount, std::int32_t& lossCount,
                     std::int32_t& tradeCount) {
    const Product* product = registry.findProduct(name);
    if (product == nullptr) return unknownProduct;
    std::int32_t wins = 0;
    std::int32_t losses = 0;
    for (int i = 0; i < product->historyLength(); ++i) {
        const double pnl = product->bars[i].dailyPnl;
        if (pnl > 0.0) ++wins;
        if (pnl < 0.0) ++losses;
    }
    winCount = wins;
    lossCount = losses;
    tradeCount = wins + losses;
    winningRate = static_cast<double>(wins) / tradeCount;
    losingRate = static_cast<double>(losses) / tradeCount;
    const double winLossRatio = static_cast<double>(wins) / losses;
    return winningRate - (1.0 - winningRate) / winLossRatio;
}

void profitTotals(const ProductRegistry& registry, std::string_view name, double& netProfit,
                  double& grossProfit, double& grossLoss) {
    const Product* product = registry.findProduct(name);
    if (product == nullptr) return;
    double net = 0.0;
    double profit = 0.0;
    double loss = 0.0;
    for (int i = 0; i < product->historyLength(); ++i) {
        const double pnl = product->bars[i].dailyPnl;
        if (pnl > 0.0) profit += pnl;
        if (pnl < 0.0) loss += pnl;
        net += pnl;
    }
    netProfit = net;
    grossProfit = profit;
    grossLoss = loss;
}

void measureTradeModel(ProductRegistry& registry, std::string_view name, TradeModel& model) {
    model.sharpeRatio = sharpeRatio(registry, name);
    model.kellyFormula = winStatistics(registry, name, model.winningRate, model.losingRate, model.winCount,
                                       model.lossCount, model.tradeCount);
    profitTotals(registry, name, model.netProfit, model.grossProfit, model.grossLoss);
}

}  // namespace varkel
