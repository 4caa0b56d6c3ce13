#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/product_option.h"
#include "cli/file_faults.h"
#include "cli/interrupt_cancel.h"
#include "cli/progress_bar.h"
#include "cli/selection_option.h"
#include "cli/history_loading.h"
#include "cli/index_options.h"
#include "cli/permute_files.h"
#include "base/atomic_file.h"
#include "base/sha256.h"
#include "base/whole_file.h"
#include "data/price_file.h"
#include "robustness/permutation_test.h"
#include "report/flagged_return.h"
#include "report/permutation_texts.h"
#include "robustness/permutation_parts.h"
#include "studies/study_catalogue.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace varkel::cli {

namespace {

const char* const usage =
    "usage: varkel-cli permute --product NAME --file PATH --base macd|lreg|tsc|stoch|keltner\n"
    "                          [--second lreg|tsc|roc|ndist] [--third lreg|tsc|roc|ndist]\n"
    "                          [--select best|plateau] --permutations P [--seed S] [--threads N]\n"
    "                          [--csv FILE] [--shard I/N [--part FILE]] [--dir DIR]\n"
    "       varkel-cli permute --product NAME --file PATH --write-history K FILE [--seed S] [--dir DIR]\n"
    "       varkel-cli permute --merge PART... [--csv FILE] [--dir DIR]\n"
    "Could the search have found this model in noise? Runs the same build (indexes, grids,\n"
    "selection) on the history and on P histories whose overnight moves and day shapes are\n"
    "shuffled separately (seed S, default 1; close-to-close moves are not kept), and prints\n"
    "for every layer the p-value (1 + builds at least as good as the real one, ties\n"
    "included) / (P + 1), the real return's rank, and the mean and 5/50/95 % quantiles of\n"
    "the permuted builds' returns. Below p = 0.05 the model holds up against noise; from\n"
    "0.05 on, the test could not tell it from noise (which is not proof of no edge).\n"
    "--csv writes those returns. --shard I/N runs only the permutations k with\n"
    "k mod N = I - 1 and writes them to a part file (--part, default permute-I-of-N.part);\n"
    "--merge puts the parts of one run together and prints the report of the whole run.\n"
    "--write-history writes permuted history K as a price file. Relative output paths go\n"
    "to DIR (default the current directory).\n";

// The permutations done of the shard's with the time they leave, while a test runs.
class PermutationProgress {
public:
    void operator()(int /*stage*/, std::int64_t done, std::int64_t total) const {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        const double left = done > 0 ? elapsed * static_cast<double>(total - done) / static_cast<double>(done) : 0.0;
        drawProgressBar("Permuted", done, total, left);
    }

private:
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

// "--base macd --second roc --select best": the build as its options say it,
// in one order, so that parts of the same run carry the same text.
std::string buildSettingsText(const IndexChoice& choice, TrialSelection selection) {
    const auto option = [](StudyKind kind) { return std::string(findStudy(kind)->option); };
    const auto kinds = choice.layerKinds();
    std::string text = "--base " + option(kinds[0]);
    if (choice.use2nd) text += " --second " + option(kinds[1]);
    if (choice.use3rd) text += " --third " + option(kinds[2]);
    return text + (selection == TrialSelection::plateau ? " --select plateau" : " --select best");
}

// The options of a run; a usage error's exit code when they are refused.
struct RunOptions {
    PermutationTestOptions test;
    std::optional<std::string> csv;
    std::optional<std::string> part;
};

std::optional<int> readRunOptions(const CliArgs& args, const std::filesystem::path& dir, RunOptions& run) {
    PermutationTestOptions& options = run.test;
    const std::optional<ShuffledRunOptions> shared = shuffledRunOptions(args, usage);
    if (!shared) return exitUsage;
    options.build.selection = shared->selection;
    options.seed = shared->seed;
    options.threads = shared->threads;
    const auto permutations = args.value("permutations");
    if (!permutations) return usageError("permute needs --permutations", usage);
    const std::optional<int> count = parseWholeNumber(*permutations);
    if (!count) return usageError("--permutations needs a whole number: " + *permutations, usage);
    options.permutations = *count;
    if (const auto shard = args.value("shard")) {
        const std::optional<PermutationShard> parsed = parseShard(*shard);
        if (!parsed) return usageError("--shard needs I/N, two whole numbers: " + *shard, usage);
        options.shard = *parsed;
        if (args.has("csv")) return usageError("--csv goes with a whole run or --merge, not with --shard", usage);
        run.part = outputPath(dir, args.valueOr("part", defaultPartName(*parsed))).string();
    } else if (args.has("part")) {
        return usageError("--part goes with --shard", usage);
    }
    // The index choice has been checked: what is left is P's range and the shard.
    if (const auto refusal = validatePermutationOptions(options)) return usageError(*refusal, usage);
    if (const auto csv = args.value("csv")) run.csv = outputPath(dir, *csv).string();
    return std::nullopt;
}

int runTest(const CliArgs& args, const IndexChoice& choice, const std::filesystem::path& dir) {
    if (const auto refusal = validateIndexChoice(choice)) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return exitFailed;
    }
    RunOptions run;
    run.test.build.choice = choice;
    if (const auto code = readRunOptions(args, dir, run)) return *code;
    const std::string product = *args.value("product");
    const std::string file = *args.value("file");
    for (const auto& output : {run.csv, run.part})
        if (output && sameFile(*output, file))
            return usageError(*output + " is the price file the test reads; choose another file", usage);
    std::vector<std::string> outputs;
    for (const auto& output : {run.csv, run.part})
        if (output) outputs.push_back(*output);
    if (!outputFoldersWritable(outputs)) return exitFailed;
    ProductRegistry registry;
    if (!loadHistory(registry, product, file)) return exitFailed;
    std::string sha;
    if (run.part) {
        const auto bytes = readWholeFile(file, maxPriceFileBytes);
        if (!bytes) {
            std::fprintf(stderr, "Cannot read price file %s: %s\n", file.c_str(), unreadableFileReason(file).c_str());
            return exitFailed;
        }
        sha = sha256Hex(*bytes);
    }

    PermutationTestOptions& options = run.test;
    if (isatty(STDERR_FILENO)) options.onProgress = PermutationProgress();
    const auto started = std::chrono::steady_clock::now();
    PermutationRun result;
    {
        const InterruptCancel interrupt;
        options.cancel = interrupt.flag();
        result = runPermutationTest(registry, product, options);
        options.cancel = nullptr;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    switch (result.outcome) {
        case RunOutcome::Done: break;
        case RunOutcome::Refused: std::fprintf(stderr, "%s\n", result.refusal.c_str()); return exitFailed;
        case RunOutcome::Cancelled: std::fputs("Permutation test cancelled\n", stderr); return exitFailed;
    }
    std::fprintf(stderr, "%zu permuted builds and the real one in %.1f s (%.3f s a build)\n", result.rows.size(),
                 seconds, seconds / static_cast<double>(result.rows.size() + 1));

    const std::string build = buildSettingsText(choice, options.build.selection);
    if (run.part) {
        PermutationPartHeader header{VARKEL_VERSION, sha,          registry.findProduct(product)->name,
                                     build,          options.permutations, options.seed,
                                     result.layers,  result.real,  options.shard};
        std::string error;
        if (!writePermutationPart(*run.part, header, result.rows, &error)) {
            std::fprintf(stderr, "Cannot write %s: %s\n", run.part->c_str(), error.c_str());
            return exitFailed;
        }
        std::printf("Shard %d/%d: %zu permutations written to %s\n", options.shard.number, options.shard.count,
                    result.rows.size(), run.part->c_str());
        return exitOk;
    }
    const PermutationReport report = summarisePermutationRun(result.layers, result.real, result.rows, options.seed);
    std::fputs(permutationReportText(report, reportTitle(registry.findProduct(product)->name, build)).c_str(), stdout);
    // The shuffles keep whatever faults the history's moves hold: name them as a build does.
    if (const std::string note = dataQualityNote(checkPriceFile(file, product), {}, {}); !note.empty())
        std::printf("%s\n", note.c_str());
    if (run.csv && !writeOutput(*run.csv, permutationCsv(result.layers, result.rows))) return exitFailed;
    return exitOk;
}

}  // namespace

int runPermuteCommand(int argc, char** argv) {
    std::vector<char*> rest;
    std::vector<std::string> merge;
    std::optional<std::vector<std::string>> writeHistory;
    if (!takeListOptions(argc, argv, rest, merge, writeHistory)) return usageError("", usage);
    if (!merge.empty()) return runMerge(static_cast<int>(rest.size()), rest.data(), merge, usage);

    CliArgs args({"product", "file", "base", "second", "third", "select", "permutations", "seed", "threads", "csv",
                  "shard", "part", "dir"},
                 {});
    if (const auto code = args.parseOrExit(static_cast<int>(rest.size()), rest.data(), usage)) return *code;
    const auto product = args.value("product");
    const auto file = args.value("file");
    if (!product || !file) return usageError("permute needs --product and --file", usage);
    if (const auto fault = productFault(*product)) return usageError(*fault, usage);
    const std::filesystem::path dir = args.valueOr("dir", ".");
    if (writeHistory) return runWriteHistory(args, *writeHistory, dir, usage);
    if (!args.value("base")) return usageError("permute needs --base", usage);
    const std::optional<IndexChoice> choice = parseIndexOptions(args);
    if (!choice) return usageError("", usage);
    return runTest(args, *choice, dir);
}

}  // namespace varkel::cli
