#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/product_option.h"
#include "cli/history_loading.h"
#include "base/atomic_file.h"
#include "model/trade_model_file.h"
#include "report/strategy_file.h"
#include "report/trade_signal.h"

#include <cstdio>
#include <optional>
#include <string>

namespace varkel::cli {

namespace {

const char* const signalUsage =
    "usage: varkel-cli signal --product NAME --file PRICEFILE [--dir DIR]\n"
    "\n"
    "Loads the product's price history, applies its trade model DIR/<stem>.pfm to\n"
    "the newest bar and prints the signal for the next trading day with its date\n"
    "(Long Hold for 20240716, the trading day after 20240715) and the total net\n"
    "profit. Writes the model back with refreshed figures and writes the strategy\n"
    "file DIR/strategy/<stem>.csv (<stem>: the name with '/' as '_').\n"
    "DIR defaults to the current directory.\n";

}  // namespace

int runSignalCommand(int argc, char** argv) {
    CliArgs args({"product", "file", "dir"}, {});
    if (const auto code = args.parseOrExit(argc, argv, signalUsage)) return *code;
    if (!args.has("product") || !args.has("file")) return usageError("signal needs --product and --file", signalUsage);
    const std::string product = *args.value("product");
    const std::string file = *args.value("file");
    if (const auto fault = productFault(product)) return usageError(*fault, signalUsage);
    const std::string dir = args.valueOr("dir", ".");
    if (const auto fault = fileNameFault(performanceFilePath(dir, product)))
        return usageError("--product " + product + " is too long for a trade model file: " + *fault, signalUsage);
    if (sameFile(file, performanceFilePath(dir, product)) || sameFile(file, strategyFilePath(dir, product)))
        return usageError("--file " + file + " is a file the signal writes", signalUsage);
    ProductRegistry registry;
    if (!loadHistory(registry, product, file)) return exitFailed;

    const TradeSignal signal = runDailyTradeSignal(registry, product, dir, SignalBars::Own);
    if (!signal.modelFound) {
        std::fprintf(stderr, "No trade model for %s at %s\n", product.c_str(),
                     signal.modelPath.c_str());
        return exitFailed;
    }
    if (signal.modelLinesRead != tradeModelFileLines)
        std::fprintf(stderr, "The trade model file %s holds %d lines, not %d; missing values read as 0\n",
                     signal.modelPath.c_str(), signal.modelLinesRead, tradeModelFileLines);
    if (!signal.refusal.empty()) {
        std::fprintf(stderr, "%s (%s)\n", signal.refusal.c_str(), signal.modelPath.c_str());
        return exitFailed;
    }
    if (!signal.baseUsable) {
        std::fprintf(stderr, "The trade model at %s has no usable base index (kind %d)\n",
                     signal.modelPath.c_str(), static_cast<int>(signal.model.layers[0].kind));
        return exitFailed;
    }
    // The day the signal is for, on its line: a signal read a day late is a trade a day late.
    const Product& loaded = *registry.findProduct(product);
    const std::string lastDate =
        loaded.historyLength() > 0 ? loaded.bars[static_cast<std::size_t>(loaded.historyLength() - 1)].dateText : "";
    const std::optional<int> nextDay = nextTradingDay(lastDate);
    const std::string dayText =
        nextDay ? " for " + std::to_string(*nextDay) + ", the trading day after " + lastDate : std::string();
    std::printf("%s%s\nTotal Net Profit = %s\n", signal.signalText.c_str(), dayText.c_str(),
                signal.netProfitText.c_str());
    int status = exitOk;
    if (!signal.modelSaved) {
        std::fprintf(stderr, "Cannot write trade model file %s: %s\n", signal.modelPath.c_str(),
                     signal.modelError.c_str());
        status = exitFailed;
    }
    if (!signal.strategyWritten) {
        std::fprintf(stderr, "Cannot write strategy file %s: %s\n", signal.strategyPath.c_str(),
                     signal.strategyError.c_str());
        status = exitFailed;
    }
    return status;
}

}  // namespace varkel::cli
