#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/file_faults.h"
#include "cli/history_loading.h"
#include "cli/interrupt_cancel.h"
#include "cli/nearest_name.h"
#include "cli/permute_files.h"
#include "cli/product_option.h"
#include "cli/progress_bar.h"
#include "cli/selection_option.h"
#include "base/sha256.h"
#include "base/whole_file.h"
#include "data/price_check.h"
#include "data/price_file.h"
#include "report/flagged_return.h"
#include "report/scan_report.h"
#include "robustness/permutation_parts.h"
#include "robustness/scan_parts.h"
#include "studies/study_catalogue.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace varkel::cli {

namespace {

const char* const usage =
    "usage: varkel-cli scan --product NAME --file PATH [--product NAME --file PATH ...]\n"
    "                       [--bases macd,lreg,tsc,stoch,keltner] [--filters lreg,tsc,roc,ndist]\n"
    "                       [--select best|plateau] [--permutations P] [--seed S] [--walkforward TRAIN,TEST]\n"
    "                       [--threads N] [--csv FILE] [--shard I/N [--part FILE]] [--dir DIR]\n"
    "       varkel-cli scan --merge PART... [--csv FILE] [--dir DIR]\n"
    "Which of all the models holds up? Builds every base and filter combination the builder\n"
    "accepts (narrowed by --bases and --filters) on each product's history with the same\n"
    "settings. With --permutations P every combination is built on the same P histories\n"
    "with their overnight moves and day shapes shuffled separately (product 1 with seed S,\n"
    "default 1, product 2 with S + 1, ...), and gets its own p-value and one adjusted for\n"
    "the whole family (Westfall-Young step-down min-p): below 0.05 adjusted, the combination\n"
    "holds up even though all of them were tried. --walkforward adds each combination's\n"
    "stitched out-of-sample net and share of profitable folds. Prints a table ranked by\n"
    "adjusted p; --csv writes it for scripts. --shard I/N runs only the permutations k with\n"
    "k mod N = I - 1 and writes them to a part file (--part, default scan-I-of-N.part);\n"
    "--merge puts the parts of one scan together and prints the report of the whole scan.\n"
    "Relative output paths go to DIR (default the current directory).\n";

// A product and the price file its history comes from.
struct ProductFile {
    std::string product;
    std::string file;
};

// The stage's work done with the time it leaves, while a scan runs.
class ScanProgress {
public:
    void operator()(int stage, std::int64_t done, std::int64_t total) const {
        State& state = *state_;
        const auto now = std::chrono::steady_clock::now();
        if (stage != state.stage) state = {stage, now};
        const double elapsed = std::chrono::duration<double>(now - state.started).count();
        const double left = done > 0 ? elapsed * static_cast<double>(total - done) / static_cast<double>(done) : 0.0;
        const char* label = stage == static_cast<int>(ScanStage::RealBuilds)          ? "Built"
                            : stage == static_cast<int>(ScanStage::PermutedHistories) ? "Permuted"
                                                                                      : "Walked";
        drawProgressBar(label, done, total, left);
    }

private:
    struct State {
        int stage = 0;
        std::chrono::steady_clock::time_point started;
    };
    // Shared by the copies each stage's control holds.
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

bool isOption(const char* word) { return word[0] == '-' && word[1] != '\0'; }

// Takes the options that repeat or take several words out of the arguments:
// each --product and --file (paired in order) and "--merge PART..."; the rest
// stays in `rest`. False after a message when one lacks its value.
bool takeRepeatedOptions(int argc, char** argv, std::vector<char*>& rest, std::vector<std::string>& products,
                         std::vector<std::string>& files, std::vector<std::string>& merge) {
    for (int i = 0; i < argc; ++i) {
        std::string word = argv[i];
        std::vector<std::string>* list = nullptr;
        for (auto [name, target] : {std::pair{"--product", &products}, std::pair{"--file", &files}}) {
            const std::string prefix = std::string(name) + "=";
            if (word == name) {
                if (i + 1 >= argc) {
                    std::fprintf(stderr, "option %s needs a value\n", name);
                    return false;
                }
                list = target;
                word = argv[++i];
            } else if (word.rfind(prefix, 0) == 0) {
                list = target;
                word = word.substr(prefix.size());
            }
        }
        if (list != nullptr) {
            list->push_back(word);
        } else if (word == "--merge") {
            const std::size_t before = merge.size();
            while (i + 1 < argc && !isOption(argv[i + 1])) merge.emplace_back(argv[++i]);
            if (merge.size() == before) {
                std::fputs("--merge needs one or more part files\n", stderr);
                return false;
            }
        } else {
            rest.push_back(argv[i]);
        }
    }
    return true;
}

// --bases or --filters as study kinds ("macd,lreg"); each must be able to
// stand in that place. Nothing after a usage error.
std::optional<std::vector<StudyKind>> kindsOption(const CliArgs& args, const char* option, bool filters) {
    std::vector<StudyKind> kinds;
    const auto text = args.value(option);
    if (!text) return kinds;
    const auto& allowed = filters ? filterStudies() : baseStudies();
    std::vector<std::string> names;
    for (const StudyInfo* study : allowed) names.emplace_back(study->option);
    std::string list = *text;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string name = list.substr(start, comma - start);
        start = comma + 1;
        const StudyInfo* study = findStudyByOption(name);
        if (study == nullptr || std::find(allowed.begin(), allowed.end(), study) == allowed.end()) {
            const auto nearest = nearestName(name, names);
            std::string allowedText;
            for (const std::string& n : names) allowedText += (allowedText.empty() ? "" : ", ") + n;
            usageError("--" + std::string(option) + " takes " + allowedText + ", not " + (name.empty() ? "\"\"" : name) +
                           (nearest ? "; did you mean " + *nearest + "?" : ""),
                       usage);
            return std::nullopt;
        }
        if (std::find(kinds.begin(), kinds.end(), study->kind) == kinds.end()) kinds.push_back(study->kind);
    }
    return kinds;
}

// The settings that make two runs the same scan, in one order so that parts
// of the same scan carry the same text: "--bases macd,lreg --filters roc
// --select best --walkforward 1000,250".
std::string settingsText(const std::vector<StudyKind>& bases, const std::vector<StudyKind>& filters,
                         TrialSelection selection, const std::optional<FoldSettings>& walkForward) {
    const auto listText = [](const std::vector<StudyKind>& kinds, const std::vector<const StudyInfo*>& all) {
        std::string text;
        for (const StudyInfo* study : all)
            if (kinds.empty() || std::find(kinds.begin(), kinds.end(), study->kind) != kinds.end())
                text += (text.empty() ? "" : ",") + std::string(study->option);
        return text;
    };
    std::string text = "--bases " + listText(bases, baseStudies()) + " --filters " + listText(filters, filterStudies()) +
                       (selection == TrialSelection::plateau ? " --select plateau" : " --select best");
    if (walkForward)
        text += " --walkforward " + std::to_string(walkForward->trainBars) + "," + std::to_string(walkForward->testBars);
    return text;
}

std::string scanTitle(const std::vector<std::string>& products, const std::string& settings) {
    std::string names;
    for (const std::string& product : products) names += (names.empty() ? "" : ", ") + product;
    return "Scan of " + names + ": " + settings;
}

std::string defaultScanPartName(PermutationShard shard) {
    return "scan-" + std::to_string(shard.number) + "-of-" + std::to_string(shard.count) + ".part";
}

struct RunSettings {
    ScanOptions scan;
    std::string settings;
    std::optional<std::string> csv;
    std::optional<std::string> part;
};

std::optional<int> readRunSettings(const CliArgs& args, const std::filesystem::path& dir, RunSettings& run) {
    ScanOptions& options = run.scan;
    const auto bases = kindsOption(args, "bases", false);
    if (!bases) return exitUsage;
    const auto filters = kindsOption(args, "filters", true);
    if (!filters) return exitUsage;
    options.combinations = scanCombinations(*bases, *filters);
    const std::optional<ShuffledRunOptions> shared = shuffledRunOptions(args, usage);
    if (!shared) return exitUsage;
    options.selection = shared->selection;
    options.seed = shared->seed;
    options.threads = shared->threads;
    if (const auto permutations = args.value("permutations")) {
        const std::optional<int> count = parseWholeNumber(*permutations);
        if (!count) return usageError("--permutations needs a whole number: " + *permutations, usage);
        options.permutations = *count;
    }
    if (const auto walk = args.value("walkforward")) {
        const auto numbers = parseNumberList(*walk);
        const auto whole = [](double x) { return x >= 1 && x <= 1e9 && x == static_cast<int>(x); };
        if (!numbers || numbers->size() != 2 || !whole((*numbers)[0]) || !whole((*numbers)[1]))
            return usageError("--walkforward needs TRAIN,TEST, two whole numbers of bars: " + *walk, usage);
        options.walkForward = FoldSettings{static_cast<int>((*numbers)[0]), static_cast<int>((*numbers)[1]), false};
    }
    if (const auto shard = args.value("shard")) {
        const std::optional<PermutationShard> parsed = parseShard(*shard);
        if (!parsed) return usageError("--shard needs I/N, two whole numbers: " + *shard, usage);
        options.shard = *parsed;
        if (args.has("csv")) return usageError("--csv goes with a whole scan or --merge, not with --shard", usage);
        run.part = outputPath(dir, args.valueOr("part", defaultScanPartName(*parsed))).string();
    } else if (args.has("part")) {
        return usageError("--part goes with --shard", usage);
    }
    if (const auto refusal = validateScanOptions(options)) return usageError(*refusal, usage);
    if (const auto csv = args.value("csv")) run.csv = outputPath(dir, *csv).string();
    run.settings = settingsText(*bases, *filters, options.selection, options.walkForward);
    return std::nullopt;
}

int runWholeOrShard(const CliArgs& args, const std::vector<ProductFile>& inputs, const std::filesystem::path& dir) {
    RunSettings run;
    if (const auto code = readRunSettings(args, dir, run)) return *code;
    for (const auto& output : {run.csv, run.part})
        for (const ProductFile& input : inputs)
            if (output && sameFile(*output, input.file))
                return usageError(*output + " is a price file the scan reads; choose another file", usage);
    std::vector<std::string> outputs;
    for (const auto& output : {run.csv, run.part})
        if (output) outputs.push_back(*output);
    if (!outputFoldersWritable(outputs)) return exitFailed;

    // Each product its own history, as its price file gives it.
    std::vector<ProductRegistry> registries(inputs.size());
    std::vector<const Product*> products;
    std::vector<std::vector<FlaggedBar>> flagged;
    std::vector<std::string> notes;  // what the data check found, said once the scan has run
    ScanPartHeader header{VARKEL_VERSION, {}, run.settings, run.scan.permutations, run.scan.seed, run.scan.shard};
    for (std::size_t j = 0; j < inputs.size(); ++j) {
        if (!loadHistory(registries[j], inputs[j].product, inputs[j].file)) return exitFailed;
        products.push_back(registries[j].findProduct(inputs[j].product));
        const PriceCheck check = checkPriceFile(inputs[j].file, inputs[j].product);
        flagged.push_back(flaggedBarsOf(check.findings));
        notes.push_back(dataQualityNote(check, {}, {}));
        if (run.part) {
            const auto bytes = readWholeFile(inputs[j].file, maxPriceFileBytes);
            if (!bytes) {
                std::fprintf(stderr, "Cannot read price file %s: %s\n", inputs[j].file.c_str(),
                             unreadableFileReason(inputs[j].file).c_str());
                return exitFailed;
            }
            header.inputs.push_back({sha256Hex(*bytes), products.back()->name});
        }
    }

    ScanOptions& options = run.scan;
    if (isatty(STDERR_FILENO)) options.onProgress = ScanProgress();
    const auto started = std::chrono::steady_clock::now();
    ScanResult result;
    {
        const InterruptCancel interrupt;
        options.cancel = interrupt.flag();
        result = runScan(products, options);
        options.cancel = nullptr;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    switch (result.outcome) {
        case RunOutcome::Done: break;
        case RunOutcome::Refused: std::fprintf(stderr, "%s\n", result.refusal.c_str()); return exitFailed;
        case RunOutcome::Cancelled: std::fputs("Scan cancelled\n", stderr); return exitFailed;
    }
    // On stderr, so that a whole scan prints the same bytes as its parts merged.
    for (std::size_t j = 0; j < notes.size(); ++j)
        if (!notes[j].empty()) std::fprintf(stderr, "%s: %s\n", products[j]->name.c_str(), notes[j].c_str());
    std::fprintf(stderr, "%zu combinations built on the real and %zu permuted histories in %.1f s\n",
                 result.rows.size(), result.permutationIndexes.size(), seconds);
    fillFlaggedShares(result, products, flagged);

    if (run.part) {
        std::string error;
        if (!writeScanPart(*run.part, header, result, &error)) {
            std::fprintf(stderr, "Cannot write %s: %s\n", run.part->c_str(), error.c_str());
            return exitFailed;
        }
        std::printf("Shard %d/%d: %zu permutations written to %s\n", options.shard.number, options.shard.count,
                    result.permutationIndexes.size(), run.part->c_str());
        return exitOk;
    }
    std::vector<std::string> names;
    for (const Product* product : products) names.push_back(product->name);
    std::fputs(scanReportText(result, scanTitle(names, run.settings)).c_str(), stdout);
    if (run.csv && !writeOutput(*run.csv, scanCsv(result))) return exitFailed;
    return exitOk;
}

int runScanMerge(int argc, char** argv, const std::vector<std::string>& paths) {
    CliArgs args({"csv", "dir"}, {});
    if (const auto code = args.parseOrExit(argc, argv, usage)) return *code;
    const auto parts = readPartFiles<NamedScanPart>(paths, "scan", readScanPart);
    if (!parts) return exitFailed;
    std::string error;
    const std::optional<ScanPart> merged = mergeScanParts(*parts, &error);
    if (!merged) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return exitFailed;
    }
    std::vector<std::string> names;
    for (const ScanPartHeader::Input& input : merged->header.inputs) names.push_back(input.product);
    std::fputs(scanReportText(merged->result, scanTitle(names, merged->header.settings)).c_str(), stdout);
    if (const auto csv = args.value("csv")) {
        const std::string path = outputPath(args.valueOr("dir", "."), *csv).string();
        for (const std::string& part : paths)
            if (sameFile(path, part)) return usageError("--csv " + *csv + " is one of the part files", usage);
        if (!writeOutput(path, scanCsv(merged->result))) return exitFailed;
    }
    return exitOk;
}

}  // namespace

int runScanCommand(int argc, char** argv) {
    std::vector<char*> rest;
    std::vector<std::string> products;
    std::vector<std::string> files;
    std::vector<std::string> merge;
    if (!takeRepeatedOptions(argc, argv, rest, products, files, merge)) return usageError("", usage);
    if (!merge.empty()) {
        if (!products.empty() || !files.empty())
            return usageError("--merge reads the products from the parts: drop --product and --file", usage);
        return runScanMerge(static_cast<int>(rest.size()), rest.data(), merge);
    }
    CliArgs args({"bases", "filters", "select", "permutations", "seed", "walkforward", "threads", "csv", "shard",
                  "part", "dir"},
                 {});
    if (const auto code = args.parseOrExit(static_cast<int>(rest.size()), rest.data(), usage)) return *code;
    if (products.empty() || products.size() != files.size())
        return usageError("scan needs --product and --file for each product, in pairs", usage);
    std::vector<ProductFile> inputs;
    for (std::size_t j = 0; j < products.size(); ++j) {
        if (const auto fault = productFault(products[j])) return usageError(*fault, usage);
        inputs.push_back({products[j], files[j]});
    }
    return runWholeOrShard(args, inputs, args.valueOr("dir", "."));
}

}  // namespace varkel::cli
