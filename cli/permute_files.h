#pragma once

#include "cli/cli_args.h"
#include "robustness/permutation_runs.h"

#include <cstdint>
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

// varkel-cli permute --merge PART... [--csv FILE] [--dir DIR]: `argv` holds the other options.
int runMerge(int argc, char** argv, const std::vector<std::string>& parts, const char* usage);

// --write-history K FILE: permuted history K of --seed of the loaded --file.
int runWriteHistory(const CliArgs& args, const std::vector<std::string>& kAndFile, const std::filesystem::path& dir,
                    const char* usage);

}  // namespace varkel::cli
