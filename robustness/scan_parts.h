#pragma once

#include "robustness/scan.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varkel {

// What names one scan, written at the head of each of its part files: the
// version of the program that wrote it, each product with its price file's
// SHA-256 (in the scan's order), the settings (a line of text the caller
// chooses, compared as a whole), P, the seed and the part's shard.
struct ScanPartHeader {
    struct Input {
        std::string sha256;
        std::string product;
        bool operator==(const Input&) const = default;
    };
    std::string programVersion;
    std::vector<Input> inputs;
    std::string settings;
    std::int64_t permutations = 0;
    std::uint64_t seed = 0;
    PermutationShard shard{};
};

// A scan part file: the header, "builds <count>" and one line per row of the
// real builds (product number, base, second and third by their options or
// "-", R, in-sample net, trades, share on flagged bars, out-of-sample net,
// profitable fold share, folds; "-" for a figure not known), then "rows
// <count>" and one row "k R_k ..." per index of the shard (one return per
// real build), then "rows-sha256" and the SHA-256 of the builds' and rows'
// lines. Doubles are written in their shortest form that reads back to the
// same bits. `result` is a shard's run (runScan with the header's shard).
std::string scanPartText(const ScanPartHeader& header, const ScanResult& result);

struct ScanPart {
    ScanPartHeader header;
    // The real builds (model with netProfit and tradeCount only, no daily
    // P&L), the shard's indexes and permuted returns.
    ScanResult result;
};

// A part file read back; nothing, with the reason in `error`, for a text that
// is not one (as readPermutationPart refuses, and a build line that names a
// product that is not in the header or a combination the builder refuses).
std::optional<ScanPart> readScanPart(const std::string& text, std::string* error);

struct NamedScanPart {
    std::string name;  // the file's name, for the messages
    ScanPart part;
};

// The parts of one scan put together, scored (scoreScanFamily) as the whole
// run is, the header with shard 1/1; nothing, with a message naming the part
// and what is wrong in `error`, for a part of another run (any header field
// but the shard, or the real builds, differ), a shard given twice or missing,
// or a part whose rows are not exactly its shard's indexes.
std::optional<ScanPart> mergeScanParts(const std::vector<NamedScanPart>& parts, std::string* error);

// Writes the part file through the door (owned_file.h): the text must read
// back with readScanPart. False, with the reason in `error`.
bool writeScanPart(const std::filesystem::path& path, const ScanPartHeader& header, const ScanResult& result,
                   std::string* error);

}  // namespace varkel
