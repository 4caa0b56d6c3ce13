#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/history_loading.h"
#include "cli/index_options.h"
#include "model/strategy_builder.h"
#include "model/trade_model_file.h"
#include "report/build_texts.h"
#include "report/flagged_return.h"
#include "report/robustness_texts.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <string>

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

// A one-line progress bar, redrawn in place; only when stderr is a terminal.
void drawProgress(int layer, std::int64_t done, std::int64_t total) {
    const int width = 40;
    const int filled = total > 0 ? static_cast<int>(done * width / total) : width;
    std::fprintf(stderr, "\r%-10s [%.*s%*s] %lld/%lld", layerNames[layer - 1], filled,
                 "########################################", width - filled, "",
                 static_cast<long long>(done), static_cast<long long>(total));
    if (done >= total) std::fputc('\n', stderr);
}

// The statistics' options: --select, --blocks, --no-robustness and the
// surface file, which must not overwrite an input or the model. A message
// when they are refused.
std::optional<std::string> readRobustnessOptions(const CliArgs& args, const std::string& file,
                                                 const std::string& modelPath, BuildOptions& options) {
    const std::string select = args.valueOr("select", "best");
    if (select != "best" && select != "plateau") return "--select needs best or plateau: " + select;
    options.selection = select == "plateau" ? TrialSelection::plateau : TrialSelection::best;
    options.robustness = !args.has("no-robustness");
    if (const auto blocks = args.value("blocks")) {
        if (!options.robustness) return "--blocks cannot go with --no-robustness";
        const auto count = parseWholeNumber(*blocks);
        if (!count || !isValidPnlBlockCount(*count))
            return "--blocks needs an even whole number from " + std::to_string(minPnlBlocks) + " to " +
                   std::to_string(maxPnlBlocks) + ": " + *blocks;
        options.pnlBlockCount = *count;
    }
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
    if (product->empty()) return usageError("--product needs a name", usage);
    const std::optional<IndexChoice> parsedChoice = parseIndexOptions(args);
    if (!parsedChoice) return usageError("", usage);
    const IndexChoice choice = *parsedChoice;
    BuildOptions options;
    const auto threads = threadsOption(args, usage);
    if (!threads) return exitUsage;
    options.threads = *threads;
    if (sameFile(*file, performanceFilePath(args.valueOr("dir", "."), *product)))
        return usageError("--file " + *file + " is the trade model file the build writes", usage);
    if (const auto refused = readRobustnessOptions(
            args, *file, performanceFilePath(args.valueOr("dir", "."), *product).string(), options))
        return usageError(*refused, usage);
    if (auto refusal = validateIndexChoice(choice)) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return exitFailed;
    }

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

    if (isatty(STDERR_FILENO)) options.onProgress = drawProgress;
    options.onLayerDone = [](int layer, double bestReturn) {
        std::printf("%-10s %s\n", layerNames[layer - 1], layerReturnText(bestReturn).c_str());
        std::fflush(stdout);
    };
    const auto started = std::chrono::steady_clock::now();
    const BuildResult result = buildStrategy(registry, *product, choice, args.valueOr("dir", "."), options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (result.outcome == BuildOutcome::Refused) {
        std::fprintf(stderr, "%s\n", result.refusal.c_str());
        return exitFailed;
    }
    if (result.outcome != BuildOutcome::Built) {
        std::fprintf(stderr, "No product %s\n", product->c_str());
        return exitFailed;
    }
    std::printf("Sharpe Ratio  %s\nKelly Formula %s\nWinning Rate  %s\n",
                buildMeasureText(result.model.sharpeRatio, result.model.tradeCount).c_str(),
                buildMeasureText(result.model.kellyFormula, result.model.tradeCount).c_str(),
                buildMeasureText(result.model.winningRate, result.model.tradeCount).c_str());
    if (const std::string note = builtModelDataQualityNote(*file, *registry.findProduct(*product)); !note.empty())
        std::printf("%s\n", note.c_str());
    std::fprintf(stderr, "built in %.2f s\n", seconds);
    if (!result.saved) {
        std::fprintf(stderr, "Cannot write the trade model file %s\n", result.modelPath.c_str());
        return exitFailed;
    }
    std::printf("Model saved to %s\n", result.modelPath.c_str());
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
