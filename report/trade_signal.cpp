#include "report/trade_signal.h"

#include "data/formatted_text.h"
#include "data/history_length.h"
#include "model/backtest.h"
#include "model/measures.h"
#include "model/saved_model.h"
#include "model/trade_model_file.h"
#include "report/saved_model_check.h"
#include "report/strategy_file.h"

namespace varkel {

TradeSignal runDailyTradeSignal(ProductRegistry& registry, std::string_view productName,
                                const std::filesystem::path& startDirectory) {
    TradeSignal signal;
    signal.modelPath = performanceFilePath(startDirectory, productName);
    signal.strategyPath = strategyFilePath(startDirectory, productName);
    const Product* product = registry.findProduct(productName);
    signal.productFound = product != nullptr;
    if (!signal.productFound) return signal;
    signal.modelFound = loadTradeModel(signal.model, signal.modelPath, &signal.modelLinesRead);
    if (auto refusal = refuseShortHistory(productName, product->historyLength(), 1, "the daily signal")) {
        signal.refusal = *refusal;
        return signal;
    }
    if (const auto fault = savedModelFault(signal.model, *product)) {
        signal.refusal = *fault;
        return signal;
    }
    signal.baseUsable = applySavedModel(registry, productName, signal.model);
    if (!signal.baseUsable) return signal;

    runBacktest(registry, productName);
    signal.netProfitText = formattedText("%10.6f", finalReturn(registry, productName));
    measureTradeModel(registry, productName, signal.model);
    signal.signalText = transitionText(classifyTransition(registry, productName));

    signal.modelSaved = saveTradeModel(signal.model, signal.modelPath, &signal.modelError);
    signal.strategyWritten = writeStrategyFile(registry, productName, startDirectory, &signal.strategyError);
    return signal;
}

}  // namespace varkel
