#pragma once

#include "base/whole_file.h"
#include "cli/cli_args.h"
#include "cli/file_faults.h"
#include "robustness/permutation_parts.h"
#include "robustness/permutation_runs.h"
#include "search/trial_selection.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varkel::cli {

// The files of `varkel-cli permute` beside the test itself: shards, part
// files and their merge, and permuted histories written as price files.

// "2/4" as shard 2 of 4; nothing for anything else ("2", "2/", "0/4" reads, the range is checked later).
std::optional<PermutationShard> parseShard(const std::string& text);
// --seed as a whole number from 0 to 2^64 - 1, the default seed when it is
// not given; nothing after printing the usage error.
std::optional<std::uint64_t> seedOption(const CliArgs& args, const char* usage);
// The report's first line: "Permutation test of USD/JPY: --base macd --select best".
std::string reportTitle(const std::string& product, const std::string& build);
// --select, --seed and --threads, as permute and scan both take them;
// nothing after printing the usage error.
struct ShuffledRunOptions {
    TrialSelection selection = TrialSelection::best;
    std::uint64_t seed = 0;
    int threads = 1;
};
std::optional<ShuffledRunOptions> shuffledRunOptions(const CliArgs& args, const char* usage);
// "permute-2-of-4.part".
std::string defaultPartName(PermutationShard shard);
// A relative `path` under `dir`; an absolute one as it is.
std::filesystem::path outputPath(const std::filesystem::path& dir, const std::string& path);
// Writes the file atomically; false after a message on stderr.
bool writeOutput(const std::string& path, const std::string& contents);

// Takes the options with several values out of the arguments: "--merge
// PART..." (every word up to the next option) and "--write-history K FILE";
// the rest stays in `rest`. False after a message when one lacks its values.
bool takeListOptions(int argc, char** argv, std::vector<char*>& rest, std::vector<std::string>& merge,
                     std::optional<std::vector<std::string>>& writeHistory);

// Every part file of a merge read whole (within maxPartFileBytes) and
// parsed by `read` (text, error) into a {path, part}; nothing, after a
// message on stderr, at the first that cannot be read or is not a `what`
// part file ("permutation", "scan").
template <typename Named, typename Read>
std::optional<std::vector<Named>> readPartFiles(const std::vector<std::string>& paths, const char* what, Read read) {
    std::vector<Named> named;
    for (const std::string& path : paths) {
        bool tooLarge = false;
        const auto text = readWholeFile(path, maxPartFileBytes, &tooLarge);
        if (!text) {
            std::fprintf(stderr, "Cannot read part file %s: %s\n", path.c_str(),
                         tooLarge ? "it is too large" : unreadableFileReason(path).c_str());
            return std::nullopt;
        }
        std::string error;
        auto part = read(*text, &error);
        if (!part) {
            std::fprintf(stderr, "%s is not a %s part file: %s\n", path.c_str(), what, error.c_str());
            return std::nullopt;
        }
        named.push_back({path, std::move(*part)});
    }
    return named;
}

// varkel-cli permute --merge PART... [--csv FILE] [--dir DIR]: `argv` holds the other options.
int runMerge(int argc, char** argv, const std::vector<std::string>& parts, const char* usage);

// --write-history K FILE: permuted history K of --seed of the loaded --file.
int runWriteHistory(const CliArgs& args, const std::vector<std::string>& kAndFile, const std::filesystem::path& dir,
                    const char* usage);

}  // namespace varkel::cli
