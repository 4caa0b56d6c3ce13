#include "report/trade_signal.h"

#include "base/formatted_text.h"
#include "data/calendar_date.h"
#include "data/history_length.h"
#include "model/backtest.h"
#include "model/measures.h"
#include "search/saved_model.h"
#include "model/trade_columns.h"
#include "model/trade_model_file.h"
#include "report/saved_model_check.h"
#include "report/strategy_file.h"

#include <optional>

namespace varkel {

std::optional<int> nextTradingDay(std::string_view lastDate) {
    const std::optional<int> date = eightDigitDate(lastDate);
    return date ? nextWeekday(*date) : std::nullopt;
}

namespace {

// The model written back and the strategy file derived from it go in place
// together or not at all: a strategy file from a model the file no longer
// holds would show trades nobody can reproduce.
void writeModelAndStrategy(TradeSignal& signal, const ProductRegistry& work, std::string_view productName,
                           const std::filesystem::path& startDirectory, const std::string& modelText) {
    // A model file missing lines is not written back whole: the next run must
    // still see that it was damaged.
    if (signal.modelLinesRead != tradeModelFileLines) {
        signal.modelError = "it holds " + std::to_string(signal.modelLinesRead) + " lines, not " +
                            std::to_string(tradeModelFileLines) + ", and was left as it was";
        signal.strategyError = "not written, as the trade model file was not";
        return;
    }
    std::optional<OwnedFileEdit> model =
        tradeModelEdit(signal.model, signal.modelPath, &signal.modelError, modelText);
    std::optional<OwnedFileEdit> strategy =
        strategyFileEdit(work, productName, startDirectory, &signal.strategyError);
    if (!model || !strategy) {
        if (!model) signal.strategyError = "not written, as the trade model file was not";
        else signal.modelError = "not written, as the strategy file was not";
        return;
    }
    const OwnedFileEdit both[] = {std::move(*model), std::move(*strategy)};
    const OwnedWrite written = changeOwnedFiles(both);
    signal.modelSaved = signal.strategyWritten = static_cast<bool>(written);
    if (!written)
        signal.modelError = signal.strategyError =
            written.message + " (the trade model and the strategy file are written together or not at all)";
}

}  // namespace

TradeSignal runDailyTradeSignal(ProductRegistry& registry, std::string_view productName,
                                const std::filesystem::path& startDirectory, SignalBars bars) {
    TradeSignal signal;
    signal.modelPath = performanceFilePath(startDirectory, productName);
    signal.strategyPath = strategyFilePath(startDirectory, productName);
    const Product* product = registry.findProduct(productName);
    signal.productFound = product != nullptr;
    if (!signal.productFound) return signal;
    // The text as read: the refreshed model goes back only over this very text.
    const std::optional<std::string> modelText = readTradeModelText(signal.modelPath);
    signal.modelFound = modelText.has_value();
    if (modelText) parseTradeModel(signal.model, *modelText, &signal.modelLinesRead);
    if (auto refusal = refuseShortHistory(productName, product->historyLength(), 1, "the daily signal")) {
        signal.refusal = *refusal;
        return signal;
    }
    if (const auto fault = savedModelFault(signal.model, *product)) {
        signal.refusal = *fault;
        return signal;
    }
    std::optional<ProductRegistry> copy;
    if (bars == SignalBars::Copy) copy = registry;
    ProductRegistry& work = copy ? *copy : registry;
    signal.baseUsable = applySavedModel(work, productName, signal.model);
    if (!signal.baseUsable) return signal;

    runBacktest(work, productName);
    signal.netProfitText = formattedText("%10.6f", finalReturn(work, productName));
    measureTradeModel(work, productName, signal.model);
    signal.signalText = transitionText(classifyTransition(work, productName));
    if (copy) copyTradeColumns(*work.findProduct(productName), *registry.findProduct(productName));

    writeModelAndStrategy(signal, work, productName, startDirectory, *modelText);
    return signal;
}

}  // namespace varkel
