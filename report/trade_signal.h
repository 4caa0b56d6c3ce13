#pragma once

#include "data/product_registry.h"
#include "model/trade_model.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// What the daily signal found and did.
struct TradeSignal {
    bool productFound = false;
    bool modelFound = false;  // the model file could be read
    // The base index of the model was one a model is built on. When it was not
    // (a missing file included), nothing was computed or written and both texts
    // are empty.
    bool baseUsable = false;
    int modelLinesRead = 0;  // lines of the model file; a whole file holds tradeModelFileLines
    // Why nothing was computed although the product was found: an empty
    // history, or a model this history cannot serve (a span beyond it, a
    // threshold that is not a number, ...); nothing was computed or written
    // and baseUsable is false. Empty otherwise.
    std::string refusal;
    std::string signalText;     // "Take Long" .. "Short 2 Long" or "No Action"
    std::string netProfitText;  // the back-test's final return, "%10.6f"
    TradeModel model;           // as read, with its figures refreshed
    std::filesystem::path modelPath;
    std::filesystem::path strategyPath;
    bool modelSaved = false;
    bool strategyWritten = false;
    std::string modelError, strategyError;  // why a file was not written
};

// The weekday after the date YYYYMMDD of a history's last bar: the day its
// signal is for (Saturday and Sunday hold no FX trading). Nothing for a date
// text that is not a calendar date of eight digits.
std::optional<int> nextTradingDay(std::string_view lastDate);

// What to do with the product on the next trading day according to its saved
// model: reads <startDirectory>/<fileStem>.pfm, re-applies the model to the
// product's bars (the next-day bar receives the next day's position), back-tests
// and measures it, writes the refreshed model back and writes the strategy file
// <startDirectory>/strategy/<fileStem>.csv. The model goes back only when the
// file held all its lines and still holds the text read at the start (checked
// under the file's lock): a model saved by a build in the meantime is kept,
// and modelError says why the signal's was not. The model and the strategy
// file are written together or neither is. An empty history, or a model that
// savedModelFault refuses, is refused before anything is applied or written.
//
// `bars` says where the model's studies go: on a copy, whose trade columns
// alone come back, so that the studies charted on the registry's bars stay
// (the workstation's case); or on the registry's own bars, for a history
// nobody charts (the command line's), where the copy would take a good part
// of a daily run.
enum class SignalBars { Copy, Own };

TradeSignal runDailyTradeSignal(ProductRegistry& registry, std::string_view productName,
                                const std::filesystem::path& startDirectory, SignalBars bars = SignalBars::Copy);

}  // namespace varkel
