#include "cli/permute_files.h"

#include "cli/file_faults.h"
#include "cli/history_loading.h"
#include "cli/selection_option.h"
#include "base/atomic_file.h"
#include "base/whole_file.h"
#include "data/price_history_write.h"
#include "robustness/permutation_test.h"
#include "report/permutation_texts.h"
#include "robustness/permutation_parts.h"
#include "robustness/permuted_history.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace varkel::cli {

namespace {

template <typename T>
std::optional<T> wholeNumber(std::string_view text) {
    T value{};
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || last != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::uint64_t> seedOption(const CliArgs& args, const char* usage) {
    const auto text = args.value("seed");
    if (!text) return defaultPermutationSeed;
    const auto seed = wholeNumber<std::uint64_t>(*text);
    if (!seed) usageError("--seed needs a whole number from 0 to 18446744073709551615: " + *text, usage);
    return seed;
}

std::optional<ShuffledRunOptions> shuffledRunOptions(const CliArgs& args, const char* usage) {
    const std::optional<TrialSelection> selection = selectionOption(args, usage);
    if (!selection) return std::nullopt;
    const auto seed = seedOption(args, usage);
    if (!seed) return std::nullopt;
    const auto threads = threadsOption(args, usage);
    if (!threads) return std::nullopt;
    return ShuffledRunOptions{*selection, *seed, *threads};
}

std::string reportTitle(const std::string& product, const std::string& build) {
    return "Permutation test of " + product + ": " + build;
}

std::optional<PermutationShard> parseShard(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const auto number = wholeNumber<int>(std::string_view(text).substr(0, slash));
    const auto count = wholeNumber<int>(std::string_view(text).substr(slash + 1));
    if (!number || !count) return std::nullopt;
    return PermutationShard{*number, *count};
}

std::string defaultPartName(PermutationShard shard) {
    return "permute-" + std::to_string(shard.number) + "-of-" + std::to_string(shard.count) + ".part";
}

std::filesystem::path outputPath(const std::filesystem::path& dir, const std::string& path) {
    const std::filesystem::path given(path);
    return given.is_absolute() ? given : dir / given;
}

bool writeOutput(const std::string& path, const std::string& contents) {
    std::string error;
    if (writeFileAtomically(path, contents, &error)) return true;
    std::fprintf(stderr, "Cannot write %s: %s\n", path.c_str(), error.c_str());
    return false;
}

bool takeListOptions(int argc, char** argv, std::vector<char*>& rest, std::vector<std::string>& merge,
                     std::optional<std::vector<std::string>>& writeHistory) {
    // -h and -V are options too: "--merge a.part -h" asks for help.
    const auto isOption = [](const char* word) { return word[0] == '-' && word[1] != '\0'; };
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--merge") == 0) {
            while (i + 1 < argc && !isOption(argv[i + 1])) merge.emplace_back(argv[++i]);
            if (merge.empty()) {
                std::fputs("--merge needs one or more part files\n", stderr);
                return false;
            }
        } else if (std::strcmp(argv[i], "--write-history") == 0) {
            if (writeHistory) {
                std::fputs("option --write-history is given more than once\n", stderr);
                return false;
            }
            if (i + 2 >= argc) {
                std::fputs("--write-history needs a permutation index and a file name\n", stderr);
                return false;
            }
            writeHistory = std::vector<std::string>{argv[i + 1], argv[i + 2]};
            i += 2;
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (!merge.empty() && writeHistory) {
        std::fputs("--merge and --write-history do not go together\n", stderr);
        return false;
    }
    return true;
}

int runMerge(int argc, char** argv, const std::vector<std::string>& parts, const char* usage) {
    CliArgs args({"csv", "dir"}, {});
    if (const auto code = args.parseOrExit(argc, argv, usage)) return *code;
    const auto named = readPartFiles<NamedPart>(parts, "permutation", readPermutationPart);
    if (!named) return exitFailed;
    std::string error;
    const std::optional<MergedPermutationRun> merged = mergePermutationParts(*named, &error);
    if (!merged) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return exitFailed;
    }
    const PermutationPartHeader& header = merged->header;
    const PermutationReport report = summarisePermutationRun(header.layers, header.real, merged->rows, header.seed);
    std::fputs(permutationReportText(report, reportTitle(header.product, header.build)).c_str(), stdout);
    if (const auto csv = args.value("csv")) {
        const std::string path = outputPath(args.valueOr("dir", "."), *csv).string();
        for (const std::string& part : parts)
            if (sameFile(path, part)) return usageError("--csv " + *csv + " is one of the part files", usage);
        if (!writeOutput(path, permutationCsv(header.layers, merged->rows))) return exitFailed;
    }
    return exitOk;
}

int runWriteHistory(const CliArgs& args, const std::vector<std::string>& kAndFile, const std::filesystem::path& dir,
                    const char* usage) {
    for (const char* option : {"base", "second", "third", "select", "permutations", "threads", "csv", "shard", "part"})
        if (args.has(option))
            return usageError(std::string("--write-history writes a history and runs no test: drop --") + option, usage);
    const auto k = wholeNumber<std::uint64_t>(kAndFile[0]);
    if (!k || *k < 1) return usageError("--write-history needs a permutation index from 1: " + kAndFile[0], usage);
    const auto seed = seedOption(args, usage);
    if (!seed) return exitUsage;
    const std::string file = *args.value("file");
    const std::string target = outputPath(dir, kAndFile[1]).string();
    if (sameFile(target, file)) return usageError(kAndFile[1] + " is the price file the history comes from", usage);
    ProductRegistry registry;
    if (!loadHistory(registry, *args.value("product"), file)) return exitFailed;
    const Product& product = *registry.findProduct(*args.value("product"));
    const std::optional<HistoryMoves> moves = historyMoves(product);
    if (!moves) {
        std::fprintf(stderr, "%s\n", pricesNotAboveZeroMessage(product.name).c_str());
        return exitFailed;
    }
    const ProductRegistry permuted = permutedHistory(product, *moves, *seed, *k);
    const std::string text = permutedHistoryText(*permuted.findProduct(product.name));
    // A price history like any other: loadable whole, or not written.
    const OwnedWrite written =
        changePriceHistory(target, PriceHistoryWrite::Replace, [&text](const auto&) { return OwnedFileChange::to(text); });
    if (!written) {
        std::fprintf(stderr, "Cannot write %s: %s\n", target.c_str(), written.message.c_str());
        return exitFailed;
    }
    std::printf("Permuted history %llu of seed %llu written to %s\n", static_cast<unsigned long long>(*k),
                static_cast<unsigned long long>(*seed), target.c_str());
    return exitOk;
}

}  // namespace varkel::cli
