#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/product_option.h"
#include "cli/file_faults.h"
#include "cli/history_loading.h"
#include "cli/index_options.h"
#include "cli/interrupt_cancel.h"
#include "cli/progress_bar.h"
#include "cli/selection_option.h"
#include "builder/strategy_builder.h"
#include "base/atomic_file.h"
#include "model/trade_model_file.h"
#include "report/build_texts.h"
#include "report/flagged_return.h"
#include "report/robustness_texts.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

namespace varkel::cli {

namespace {

const char* const usage =
    "usage: varkel-cli build --product NAME --file PATH --base macd|lreg|tsc|stoch|keltner\n"
    "                        [--second lreg|tsc|roc|ndist] [--third lreg|tsc|roc|ndist]\n"
    "                        [--dir DIR] [--threads N] [--select best|plateau]\n"
    "                        [--blocks S] [--surface FILE.csv] [--no-robustness] [--force]\n"
    "Searches the best trade model for the history and saves it as DIR/<product>.pfm\n"
    "(DIR defaults to the current directory); a model saved there already is replaced\n"
    "only with --force. --select plateau keeps in every layer the\n"
    "trial whose grid neighbourhood has the best mean return instead of the single best.\n"
    "Then prints how likely the model is a fluke of the search: each layer's probability\n"
    "of backtest overfitting over S blocks of the history (even, 4 to 16; default 10) and\n"
    "the deflated Sharpe ratio. --surface writes every base trial's parameters and return\n"
    "as CSV. --no-robustness skips the statistics.\n";

const char* const layerNames[3] = {"Base Index", "2nd Index", "3rd Index"};

// The statistics' options: --blocks, --no-robustness and the surface file,
// which must not overwrite an input or the model. A message when they are refused.
std::optional<std::string> readRobustnessOptions(const CliArgs& args, const std::string& file,
                                                 const std::string& modelPath, BuildOptions& options) {
    options.robustness = !args.has("no-robustness");
    if (const auto blocks = args.value("blocks")) {
        if (!options.robustness) return "--blocks cannot go with --no-robustness";
        const auto count = parseWholeNumber(*blocks);
        if (!count) return "--blocks needs a whole number: " + *blocks;
        options.pnlBlockCount = *count;
    }
    if (auto refusal = validateBuildOptions(options)) return refusal;
    if (const auto surface = args.value("surface")) {
        if (!options.robustness) return "--surface cannot go with --no-robustness";
        if (surface->empty()) return "--surface needs a file name";
        if (sameFile(*surface, file)) return "--surface " + *surface + " is the price file the build reads";
        if (sameFile(*surface, modelPath)) return "--surface " + *surface + " is the trade model file the build writes";
    }
    return std::nullopt;
}

}  // namespace

int runBuildCommand(int argc, char** argv) {
    CliArgs args({"product", "file", "base", "second", "third", "dir", "threads", "select", "blocks", "surface"},
                 {"no-robustness", "force"});
    if (const auto code = args.parseOrExit(argc, argv, usage)) return *code;
    const auto product = args.value("product");
    const auto file = args.value("file");
    const auto base = args.value("base");
    if (!product || !file || !base) return usageError("build needs --product, --file and --base", usage);
    if (const auto fault = productFault(*product)) return usageError(*fault, usage);
    const std::optional<IndexChoice> parsedChoice = parseIndexOptions(args);
    if (!parsedChoice) return usageError("", usage);
    const IndexChoice choice = *parsedChoice;
    BuildOptions options;
    const auto threads = threadsOption(args, usage);
    if (!threads) return exitUsage;
    options.threads = *threads;
    if (const auto fault = fileNameFault(performanceFilePath(args.valueOr("dir", "."), *product)))
        return usageError("--product " + *product + " is too long for a trade model file: " + *fault, usage);
    const auto selection = selectionOption(args, usage);
    if (!selection) return exitUsage;
    options.selection = *selection;
    if (sameFile(*file, performanceFilePath(args.valueOr("dir", "."), *product)))
        return usageError("--file " + *file + " is the trade model file the build writes", usage);
    if (const auto refused = readRobustnessOptions(
            args, *file, performanceFilePath(args.valueOr("dir", "."), *product).string(), options))
        return usageError(*refused, usage);
    if (auto refusal = validateIndexChoice(choice)) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return exitFailed;
    }

    // A search of minutes must not end in a model that cannot be saved.
    std::vector<std::string> outputs{performanceFilePath(args.valueOr("dir", "."), *product).string()};
    if (const auto surface = args.value("surface")) outputs.push_back(*surface);
    if (!outputFoldersWritable(outputs)) return exitFailed;

    ProductRegistry registry;
    if (!loadHistory(registry, *product, *file)) return exitFailed;

    // A saved model may be the one the trader trades by: never replaced by
    // accident. A history the build would refuse is said first.
    if (const auto tooShort =
            validateHistoryLength(*product, registry.findProduct(*product)->historyLength(), choice)) {
        std::fprintf(stderr, "%s\n", tooShort->c_str());
        return exitFailed;
    }
    const std::filesystem::path modelPath = performanceFilePath(args.valueOr("dir", "."), *product);
    std::error_code existsError;
    if (!args.has("force") && std::filesystem::exists(modelPath, existsError)) {
        std::fprintf(stderr, "The trade model file %s exists already; add --force to replace it\n",
                     modelPath.string().c_str());
        return exitFailed;
    }

    if (isatty(STDERR_FILENO))
        options.onProgress = [](int layer, std::int64_t done, std::int64_t total) {
            drawPercentBar(layerNames[layer - 1], done, total);
        };
    options.onLayerDone = [](int layer, double bestReturn) {
        std::printf("%-10s %s\n", layerNames[layer - 1], layerReturnText(bestReturn).c_str());
        std::fflush(stdout);
    };
    const auto started = std::chrono::steady_clock::now();
    BuildResult result;
    {
        // Ctrl-C stops the search between trials, as the builder's Cancel button does.
        const InterruptCancel interrupt;
        options.cancel = interrupt.flag();
        result = buildStrategy(registry, *product, choice, options);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    switch (result.outcome) {
        case RunOutcome::Done: break;
        case RunOutcome::Refused: std::fprintf(stderr, "%s\n", result.refusal.c_str()); return exitFailed;
        case RunOutcome::Cancelled: std::fputs("Build cancelled\n", stderr); return exitFailed;
    }
    for (const std::string& cost : filterCostTexts(result.layerReturns, result.model)) std::printf("%s\n", cost.c_str());
    // Two Sharpe figures, named apart: this one is the model file's (the mean
    // of the rolling 20-bar ratios); the robustness lines below give the
    // per-bar Sharpe ratio of the daily P&L that the deflated Sharpe ratio uses.
    std::printf("Sharpe Ratio  %s  (mean 20-bar ratio, as saved in the model)\nKelly Formula %s\nWinning Rate  %s\n",
                buildMeasureText(result.model.sharpeRatio, result.model.tradeCount).c_str(),
                buildMeasureText(result.model.kellyFormula, result.model.tradeCount).c_str(),
                buildMeasureText(result.model.winningRate, result.model.tradeCount).c_str());
    if (const std::string note = builtModelDataQualityNote(*file, *registry.findProduct(*product)); !note.empty())
        std::printf("%s\n", note.c_str());
    std::fprintf(stderr, "built in %.2f s\n", seconds);
    std::string saveError;
    if (!saveTradeModel(result.model, modelPath, &saveError)) {
        std::fprintf(stderr, "Cannot write the trade model file %s: %s\n", modelPath.string().c_str(),
                     saveError.c_str());
        return exitFailed;
    }
    std::printf("Model saved to %s\n", modelPath.string().c_str());
    for (const std::string& line : robustnessLines(result.robustness)) std::printf("%s\n", line.c_str());
    if (const auto surface = args.value("surface")) {
        std::string error;
        if (!writeSurfaceCsv(result.robustness.baseSurface, *surface, &error)) {
            std::fprintf(stderr, "Cannot write the surface file %s: %s\n", surface->c_str(), error.c_str());
            return exitFailed;
        }
    }
    return exitOk;
}

}  // namespace varkel::cli
