#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/product_option.h"
#include "cli/file_faults.h"
#include "cli/history_loading.h"
#include "cli/index_options.h"
#include "cli/interrupt_cancel.h"
#include "cli/progress_bar.h"
#include "cli/selection_option.h"
#include "cli/walkforward_text.h"
#include "base/atomic_file.h"
#include "robustness/walk_forward.h"
#include "report/walk_forward_texts.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

namespace varkel::cli {

namespace {

const char* const usage =
    "usage: varkel-cli walkforward --product NAME --file PATH --base macd|lreg|tsc|stoch|keltner\n"
    "                              [--second lreg|tsc|roc|ndist] [--third lreg|tsc|roc|ndist]\n"
    "                              [--train BARS] [--test BARS] [--anchored] [--select best|plateau]\n"
    "                              [--threads N] [--csv FILE]\n"
    "Builds the model on each train window (default the last 1000 bars, from bar 0 with\n"
    "--anchored) and tests it on the next test window (default 250 bars), fold after fold.\n"
    "--select plateau keeps in every layer the trial whose grid neighbourhood has the best\n"
    "mean train-window return instead of the single best. Prints the folds and the totals;\n"
    "--csv also writes one row per fold.\n";

// --train and --test as whole numbers; false after a message.
bool readNumber(const CliArgs& args, const char* name, int& value) {
    const auto text = args.value(name);
    if (!text) return true;
    const auto number = parseWholeNumber(*text);
    if (!number) {
        std::fprintf(stderr, "--%s needs a whole number, not %s\n", name, text->c_str());
        return false;
    }
    value = *number;
    return true;
}

}  // namespace

int runWalkForwardCommand(int argc, char** argv) {
    CliArgs args({"product", "file", "base", "second", "third", "train", "test", "select", "threads", "csv"}, {"anchored"});
    if (const auto code = args.parseOrExit(argc, argv, usage)) return *code;
    const auto product = args.value("product");
    const auto file = args.value("file");
    if (!product || !file || !args.value("base"))
        return usageError("walkforward needs --product, --file and --base", usage);
    if (const auto fault = productFault(*product)) return usageError(*fault, usage);
    const std::optional<IndexChoice> choice = parseIndexOptions(args);
    if (!choice) return usageError("", usage);
    WalkForwardOptions options;
    options.folds.anchored = args.has("anchored");
    const auto selection = selectionOption(args, usage);
    if (!selection) return exitUsage;
    options.selection = *selection;
    if (!readNumber(args, "train", options.folds.trainBars) || !readNumber(args, "test", options.folds.testBars))
        return usageError("", usage);
    const auto threads = threadsOption(args, usage);
    if (!threads) return exitUsage;
    options.threads = *threads;
    const auto csv = args.value("csv");
    if (csv && sameFile(*csv, *file)) return usageError("--csv names the price file itself; choose another file", usage);
    if (auto refusal = validateIndexChoice(*choice)) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return exitFailed;
    }
    // Option values the folds can never accept, before any file is read.
    const int longerThanTrain = options.folds.trainBars < INT_MAX ? options.folds.trainBars + 1 : INT_MAX;
    const FoldRefusal optionRefusal = planFolds(longerThanTrain, options.folds).refusal;
    if (optionRefusal == FoldRefusal::TrainTooShort)
        return usageError("--train must be at least " + std::to_string(smallestTrainLength) + " bars, not " +
                              std::to_string(options.folds.trainBars),
                          usage);
    if (optionRefusal == FoldRefusal::TestTooShort)
        return usageError("--test must be at least 1 bar, not " + std::to_string(options.folds.testBars), usage);

    if (csv && !outputFoldersWritable({*csv})) return exitFailed;
    ProductRegistry registry;
    if (!loadHistory(registry, *product, *file)) return exitFailed;
    const Product& loaded = *registry.findProduct(*product);
    if (planFolds(loaded.historyLength(), options.folds).refusal == FoldRefusal::NothingToTest) {
        std::fprintf(stderr, "A train length of %d bars leaves nothing to test: %s has %d bars\n",
                     options.folds.trainBars, product->c_str(), loaded.historyLength());
        return exitFailed;
    }

    if (isatty(STDERR_FILENO))
        options.onProgress = [](int stage, std::int64_t done, std::int64_t total) {
            drawProgressBar(stage == static_cast<int>(WalkForwardStage::BaseSearch) ? "Base Index" : "Folds", done,
                            total);
        };
    WalkForwardReport report;
    {
        // Ctrl-C stops the work between trials, as the builder's cancel button does.
        const InterruptCancel interrupt;
        options.cancel = interrupt.flag();
        report = runWalkForward(registry, *product, *choice, options);
    }

    switch (report.outcome) {
        case RunOutcome::Done: break;
        case RunOutcome::Refused: std::fprintf(stderr, "%s\n", report.refusal.c_str()); return exitFailed;
        case RunOutcome::Cancelled: std::fputs("Walk-forward cancelled\n", stderr); return exitFailed;
    }
    std::fputs(walkForwardTable(report, loaded, options.folds, options.selection).c_str(), stdout);
    std::printf("Columns: %s\n%s\n", parameterColumnKey(report).c_str(), walkForwardVerdict(report).c_str());
    if (const std::string cut = cutTestWindowText(report, options.folds.testBars); !cut.empty())
        std::printf("%s\n", cut.c_str());
    if (const std::string note = walkForwardDataQualityNote(report, loaded, *file); !note.empty())
        std::printf("%s\n", note.c_str());
    if (csv) {
        std::string error;
        if (!writeFileAtomically(*csv, walkForwardCsv(report, loaded), &error)) {
            std::fprintf(stderr, "Cannot write %s: %s\n", csv->c_str(), error.c_str());
            return exitFailed;
        }
    }
    return exitOk;
}

}  // namespace varkel::cli
