#pragma once

#include "robustness/permutation_runs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varkel {

// What names one permutation test run, written at the head of each of its
// part files: the input file's SHA-256, the product, the build settings (a
// line of text the caller chooses, compared as a whole), P, the seed, which
// layers the build has and their real returns R, and the part's shard.
struct PermutationPartHeader {
    std::string inputSha256;
    std::string product;
    std::string build;
    std::int64_t permutations = 0;
    std::uint64_t seed = 0;
    LayersInUse layers{};
    LayerReturns real{};
    PermutationShard shard{};
};

// A part file: the header, "rows <count>", then one row "k R_k ..." per
// index of the shard (one return per layer in use). Doubles are written in
// their shortest form that reads back to the same bits.
std::string permutationPartText(const PermutationPartHeader& header, const std::vector<PermutationRow>& rows);

struct PermutationPart {
    PermutationPartHeader header;
    std::vector<PermutationRow> rows;
};

// A part file read back; nothing, with the reason in `error`, for a text that
// is not one (a line out of place, a number that does not read, fewer or more
// rows than it says).
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

}  // namespace varkel
