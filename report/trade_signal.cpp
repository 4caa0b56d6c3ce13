#include "report/trade_signal.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "model/trade_model_file.h"
#include "model/saved_model.h"
#include "report/strategy_file.h"

#include <cstdio>

namespace varkel {


TradeSignal runDailyTradeSignal(ProductRegistry& registry, std::string_view productName,
                                const std::filesystem::path& startDirectory) {
    TradeSignal signal;
    signal.modelPath = performanceFilePath(startDirectory, productName);
    signal.strategyPath = strategyFilePath(startDirectory, productName);
    signal.productFound = registry.findProduct(productName) != nullptr;
    if (!signal.productFound) return signal;
    signal.modelFound = loadTradeModel(signal.model, signal.modelPath);
    signal.baseUsable = applySavedModel(registry, productName, signal.model);
    if (!signal.baseUsable) return signal;

    runBacktest(registry, productName);
    char profit[64] = {};
    std::snprintf(profit, sizeof profit, "%10.6f", finalReturn(registry, productName));
    signal.netProfitText = profit;
    measureTradeModel(registry, productName, signal.model);
    signal.signalText = transitionText(classifyTransition(registry, productName));

    signal.modelSaved = saveTradeModel(signal.model, signal.modelPath);
    signal.strategyWritten = writeStrategyFile(registry, productName, startDirectory);
    return signal;
}

}  // namespace varkel
