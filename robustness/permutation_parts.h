#pragma once

#include "robustness/permutation_runs.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varkel {

// What names one permutation test run, written at the head of each of its
// part files: the version of the program that wrote it, the input file's
// SHA-256, the product, the build settings (a
// line of text the caller chooses, compared as a whole), P, the seed, which
// layers the build has and their real returns R, and the part's shard.
struct PermutationPartHeader {
    std::string programVersion;
    std::string inputSha256;
    std::string product;
    std::string build;
    std::int64_t permutations = 0;
    std::uint64_t seed = 0;
    LayersInUse layers{};
    LayerReturns real{};
    PermutationShard shard{};
};

// A part file holds about 30 bytes a permutation: far below this for any run.
inline constexpr std::size_t maxPartFileBytes = 256 * 1024 * 1024;

// No build of a price history returns anything near this: a row beyond it
// was not written by a test.
inline constexpr double maxPartReturn = 1e12;

// A part file: the header, "rows <count>", then one row "k R_k ..." per
// index of the shard (one return per layer in use), then "rows-sha256" and
// the SHA-256 of the rows' bytes, so that a part cut short or changed since
// it was written is never merged. Doubles are written in their shortest form
// that reads back to the same bits.
std::string permutationPartText(const PermutationPartHeader& header, const std::vector<PermutationRow>& rows);

struct PermutationPart {
    PermutationPartHeader header;
    std::vector<PermutationRow> rows;
};

// A part file read back; nothing, with the reason in `error`, for a text that
// is not one (a line out of place, a number that does not read whole, a
// return that is not finite or beyond maxPartReturn, fewer or more rows than
// it says, rows whose SHA-256 is not the one written, a last line without
// its line end).
std::optional<PermutationPart> readPermutationPart(const std::string& text, std::string* error);

struct NamedPart {
    std::string name;  // the file's name, for the messages
    PermutationPart part;
};

struct MergedPermutationRun {
    PermutationPartHeader header;  // with shard 1/1
    std::vector<PermutationRow> rows;  // k = 1 .. P in index order
};

// The parts of one run put together; nothing, with a message naming the
// part and what is wrong in `error`, when they do not make one whole run: a
// part of another run (any header field but the shard differs), a shard
// given twice, a shard missing, or a part whose rows are not exactly its
// shard's indexes.
std::optional<MergedPermutationRun> mergePermutationParts(const std::vector<NamedPart>& parts, std::string* error);

// Writes the part file through the door (owned_file.h): the text must read
// back with readPermutationPart. False, with the reason in `error`.
bool writePermutationPart(const std::filesystem::path& path, const PermutationPartHeader& header,
                          const std::vector<PermutationRow>& rows, std::string* error);

}  // namespace varkel
