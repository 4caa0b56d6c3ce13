#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/product_option.h"
#include "cli/history_loading.h"
#include "base/atomic_file.h"
#include "base/formatted_text.h"
#include "data/history_length.h"
#include "model/trade_model_file.h"
#include "report/performance_texts.h"
#include "report/saved_model_check.h"
#include "report/sharpe_transition.h"

#include <cstdio>

namespace varkel::cli {

namespace {

const char* const viewUsage =
    "usage: varkel-cli view --product NAME --file PRICEFILE [--dir DIR] [--sharpe-csv FILE]\n"
    "\n"
    "Prints what the performance viewer shows for the product's saved trade model\n"
    "DIR/<stem>.pfm (<stem>: the name with '/' as '_'), one label and text per line.\n"
    "With --sharpe-csv, re-applies the model to the price history and writes each\n"
    "real bar's date and rolling 20-bar Sharpe ratio to FILE.\n"
    "DIR defaults to the current directory.\n";

bool writeSharpeCsv(const Product& product, const std::string& path, std::string& error) {
    std::string content;
    for (int i = 0; i < product.historyLength(); ++i)
        content += formattedText("%s,%.6f\n", product.bars[i].dateText.c_str(), product.bars[i].rolling20Ratio);
    return writeFileAtomically(path, content, &error);
}

}  // namespace

int runViewCommand(int argc, char** argv) {
    CliArgs args({"product", "file", "dir", "sharpe-csv"}, {});
    if (const auto code = args.parseOrExit(argc, argv, viewUsage)) return *code;
    if (!args.has("product") || !args.has("file")) return usageError("view needs --product and --file", viewUsage);
    const std::string product = *args.value("product");
    const std::string file = *args.value("file");
    if (const auto fault = productFault(product)) return usageError(*fault, viewUsage);
    const auto modelPath = performanceFilePath(args.valueOr("dir", "."), product);
    const auto sharpeCsv = args.value("sharpe-csv");
    if (sharpeCsv && (sameFile(*sharpeCsv, modelPath) || sameFile(*sharpeCsv, file)))
        return usageError("--sharpe-csv " + *sharpeCsv + " would overwrite an input", viewUsage);
    ProductRegistry registry;
    if (!loadHistory(registry, product, file)) return exitFailed;
    if (const auto refusal = refuseShortHistory(product, registry.findProduct(product)->historyLength(), 1,
                                                "the performance viewer")) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return exitFailed;
    }

    TradeModel model;
    if (!loadTradeModel(model, modelPath)) {
        std::fprintf(stderr, "No trade model for %s at %s\n", product.c_str(), modelPath.c_str());
        return exitFailed;
    }
    for (const PerformanceText& entry : performanceTexts(product, model).entries)
        std::printf("%.*s: %s\n", static_cast<int>(entry.label.size()), entry.label.data(),
                    entry.text.c_str());

    if (!sharpeCsv) return exitOk;
    if (const auto fault = savedModelFault(model, *registry.findProduct(product))) {
        std::fprintf(stderr, "%s (%s)\n", fault->c_str(), modelPath.c_str());
        return exitFailed;
    }
    if (!recomputeSharpeTransition(registry, product, model)) {
        std::fprintf(stderr, "The trade model at %s has no usable base index (kind %d)\n",
                     modelPath.c_str(), static_cast<int>(model.layers[0].kind));
        return exitFailed;
    }
    std::string error;
    if (!writeSharpeCsv(*registry.findProduct(product), *sharpeCsv, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return exitFailed;
    }
    return exitOk;
}

}  // namespace varkel::cli
