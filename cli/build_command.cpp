#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/history_loading.h"
#include "cli/index_options.h"
#include "model/strategy_builder.h"
#include "model/trade_model_file.h"
#include "report/build_texts.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace varkel::cli {

namespace {

const char* const usage =
    "usage: varkel-cli build --product NAME --file PATH --base macd|lreg|tsc|stoch|keltner\n"
    "                        [--second lreg|tsc|roc|ndist] [--third lreg|tsc|roc|ndist]\n"
    "                        [--dir DIR] [--threads N]\n"
    "Searches the best trade model for the history and saves it as DIR/<product>.pfm\n"
    "(DIR defaults to the current directory).\n";

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

}  // namespace

int runBuildCommand(int argc, char** argv) {
    CliArgs args({"product", "file", "base", "second", "third", "dir", "threads"}, {});
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
    if (auto refusal = validateIndexChoice(choice)) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return exitFailed;
    }

    ProductRegistry registry;
    if (!loadHistory(registry, *product, *file)) return exitFailed;

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
                buildMeasureText(result.model.sharpeRatio).c_str(), buildMeasureText(result.model.kellyFormula).c_str(),
                buildMeasureText(result.model.winningRate).c_str());
    std::fprintf(stderr, "built in %.2f s\n", seconds);
    if (!result.saved) {
        std::fprintf(stderr, "Cannot write the trade model file %s\n", result.modelPath.c_str());
        return exitFailed;
    }
    std::printf("Model saved to %s\n", result.modelPath.c_str());
    return exitOk;
}

}  // namespace varkel::cli
