#include "model/measures.h"

#include <array>
#include <cmath>
#include <vector>

namespace varkel {

namespace {

constexpr int sharpeWindow = 20;
constexpr double unknownProduct = -999.0;

}  // namespace

double sharpeRatio(ProductRegistry& registry, std::string_view name) {
    Product* product = registry.findProduct(name);
    if (product == nullptr) return unknownProduct;
    const int n = product->historyLength();
    if (n < 1) return 0.0;
    std::vector<Bar>& bars = product->bars;
    std::vector<double> ratios(static_cast<std::size_t>(n), 0.0);
    for (int k = n - 1; k >= sharpeWindow; --k) {
        // The window newest first: x[k], x[k-1], .., x[k-19].
        std::array<double, sharpeWindow> window;
        double sum = 0.0;
        for (int j = 0; j < sharpeWindow; ++j) {
            window[j] = bars[k - j].dailyPnl;
            sum += window[j];
        }
        const double variance = absDeviationVariance(window);
        ratios[k] = variance == 0.0 ? 0.0 : sum / std::sqrt(variance);
    }
    for (int k = 0; k < n; ++k) bars[k].rolling20Ratio = ratios[k];
    if (n <= sharpeWindow) return 0.0;
    double total = 0.0;
    for (int k = sharpeWindow; k < n; ++k) total += ratios[k];
    return total / (n - sharpeWindow);
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

double absDeviationVariance(std::span<const double> values) {
    if (values.empty()) return 0.0;
    const double count = static_cast<double>(values.size());
    double sum = 0.0;
    for (double value : values) sum += value;
    const double meanMagnitude = std::fabs(sum / count);
    double squares = 0.0;
    for (double value : values) {
        const double deviation = std::fabs(value) - meanMagnitude;
        squares += deviation * deviation;
    }
    return squares / (count - 1.0);
}

void measureTradeModel(ProductRegistry& registry, std::string_view name, TradeModel& model) {
    model.sharpeRatio = sharpeRatio(registry, name);
    model.kellyFormula = winStatistics(registry, name, model.winningRate, model.losingRate, model.winCount,
                                       model.lossCount, model.tradeCount);
    profitTotals(registry, name, model.netProfit, model.grossProfit, model.grossLoss);
}

}  // namespace varkel
