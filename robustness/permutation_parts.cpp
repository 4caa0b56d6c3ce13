#include "robustness/permutation_parts.h"

#include "base/formatted_text.h"
#include "base/owned_file.h"
#include "robustness/part_file_text.h"

#include <cmath>

namespace varkel {

namespace {

const char* const magicLine = "varkel permutation part 2";
// Part 1 files carried no version and no sum of their rows: they are not read.
const char* const olderMagicLine = "varkel permutation part 1";

std::string layersText(const LayersInUse& layers) {
    std::string text;
    for (std::size_t layer = 0; layer < layers.size(); ++layer)
        if (layers[layer]) text += (text.empty() ? "" : " ") + std::to_string(layer + 1);
    return text;
}

// The returns of the layers in use, separated by blanks.
std::string returnsText(const LayersInUse& layers, const LayerReturns& returns) {
    std::string text;
    for (std::size_t layer = 0; layer < layers.size(); ++layer)
        if (layers[layer]) text += (text.empty() ? "" : " ") + shortestText(returns[layer]);
    return text;
}

// The returns of the layers in use, each finite and within maxPartReturn,
// and nothing after them.
bool readReturns(PartWords& words, const LayersInUse& layers, LayerReturns& returns) {
    for (std::size_t layer = 0; layer < layers.size(); ++layer)
        if (layers[layer] && (!words.read(returns[layer]) || !(std::fabs(returns[layer]) <= maxPartReturn)))
            return false;
    return words.atEnd();
}

std::string rowsText(const PermutationPartHeader& header, const std::vector<PermutationRow>& rows) {
    std::string text;
    for (const PermutationRow& row : rows)
        text += std::to_string(row.index) + " " + returnsText(header.layers, row.returns) + "\n";
    return text;
}

// Which header field of `part` differs from `first`'s, in words; empty when none does.
std::string differingField(const PermutationPartHeader& part, const PermutationPartHeader& first) {
    if (part.programVersion != first.programVersion)
        return "it was written by version " + part.programVersion + ", not " + first.programVersion;
    if (part.inputSha256 != first.inputSha256) return "its input file differs (SHA-256 " + part.inputSha256 + ")";
    if (part.product != first.product) return "its product is " + part.product + ", not " + first.product;
    if (part.build != first.build) return "its build is " + part.build + ", not " + first.build;
    if (part.permutations != first.permutations)
        return "it has " + std::to_string(part.permutations) + " permutations, not " + std::to_string(first.permutations);
    if (part.seed != first.seed)
        return "its seed is " + std::to_string(part.seed) + ", not " + std::to_string(first.seed);
    if (part.shard.count != first.shard.count)
        return "it is one of " + std::to_string(part.shard.count) + " shards, not " + std::to_string(first.shard.count);
    if (part.layers != first.layers || returnsText(part.layers, part.real) != returnsText(first.layers, first.real))
        return "its real build differs";
    return {};
}

}  // namespace

std::string permutationPartText(const PermutationPartHeader& header, const std::vector<PermutationRow>& rows) {
    std::string text = std::string(magicLine) + "\n";
    text += "program " + header.programVersion + "\n";
    text += "input-sha256 " + header.inputSha256 + "\n";
    text += "product " + header.product + "\n";
    text += "build " + header.build + "\n";
    text += "permutations " + std::to_string(header.permutations) + "\n";
    text += "seed " + std::to_string(header.seed) + "\n";
    text += "layers " + layersText(header.layers) + "\n";
    text += "real " + returnsText(header.layers, header.real) + "\n";
    text += "shard " + shardText(header.shard) + "\n";
    text += "rows " + std::to_string(rows.size()) + "\n";
    const std::string rowLines = rowsText(header, rows);
    return text + rowLines + rowsSumLine(rowLines);
}

std::optional<PermutationPart> readPermutationPart(const std::string& text, std::string* error) {
    PermutationPart part;
    PermutationPartHeader& header = part.header;
    PartLines lines(text);
    auto fail = [&](const std::string& why) -> std::optional<PermutationPart> {
        if (error != nullptr) *error = "line " + std::to_string(lines.lineNumber()) + ": " + why;
        return std::nullopt;
    };
    const std::string_view first = lines.next();
    if (first == olderMagicLine) return fail("a part file of an older version, without the SHA-256 of its rows; run its shard again");
    if (first != magicLine) return fail("not a permutation part file");
    const auto program = lines.field("program");
    if (!program) return fail("expected program and its version");
    header.programVersion = std::string(*program);
    const auto sha = lines.field("input-sha256");
    if (!sha || sha->size() != 64) return fail("expected input-sha256 and 64 hex digits");
    header.inputSha256 = std::string(*sha);
    const auto product = lines.field("product");
    if (!product) return fail("expected product");
    header.product = std::string(*product);
    const auto build = lines.field("build");
    if (!build) return fail("expected build");
    header.build = std::string(*build);
    const auto permutations = lines.field("permutations");
    if (!permutations || !PartWords(*permutations).read(header.permutations) || header.permutations < 1)
        return fail("expected permutations and a whole number");
    const auto seed = lines.field("seed");
    if (!seed || !PartWords(*seed).read(header.seed)) return fail("expected seed and a whole number");
    const auto layers = lines.field("layers");
    if (!layers) return fail("expected layers");
    PartWords layerWords(*layers);
    for (int layer = 0; !layerWords.atEnd();) {
        if (!layerWords.read(layer) || layer < 1 || layer > 3) return fail("expected layers 1 to 3");
        header.layers[static_cast<std::size_t>(layer - 1)] = true;
    }
    if (!header.layers[0]) return fail("a build has a base layer");
    const auto real = lines.field("real");
    PartWords realWords(real.value_or(std::string_view{}));
    if (!real || !readReturns(realWords, header.layers, header.real))
        return fail("expected real and one return per layer");
    const auto shard = lines.field("shard");
    if (!shard || !readShard(*shard, header.shard)) return fail("expected shard I/N");
    const auto rows = lines.field("rows");
    std::int64_t rowCount = 0;
    if (!rows || !PartWords(*rows).read(rowCount) || rowCount < 0) return fail("expected rows and a whole number");
    const std::size_t rowsStart = lines.position();
    for (std::int64_t i = 0; i < rowCount; ++i) {
        if (lines.atEnd()) return fail("the file ends after " + std::to_string(i) + " of its rows");
        PermutationRow row;
        PartWords words(lines.next());
        if (!words.read(row.index) || !readReturns(words, header.layers, row.returns))
            return fail("expected a permutation index and one finite return per layer");
        part.rows.push_back(row);
    }
    if (const auto fault = rowsSumFault(lines, rowsStart, rowCount)) return fail(*fault);
    return part;
}

std::optional<MergedPermutationRun> mergePermutationParts(const std::vector<NamedPart>& parts, std::string* error) {
    auto fail = [error](const std::string& why) -> std::optional<MergedPermutationRun> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    if (parts.empty()) return fail("No part files to merge");
    const NamedPart& first = parts.front();
    std::vector<PartShard> shards;
    for (const NamedPart& named : parts) {
        const PermutationPartHeader& header = named.part.header;
        if (const std::string field = differingField(header, first.part.header); !field.empty())
            return fail(named.name + " is not a part of the same run as " + first.name + ": " + field);
        PartShard& shard = shards.emplace_back(PartShard{named.name, header.shard, {}});
        for (const PermutationRow& row : named.part.rows) shard.indexes.push_back(row.index);
    }
    const PermutationPartHeader& header = first.part.header;
    if (const auto fault = shardCoverageFault(shards, header.permutations)) return fail(*fault);
    MergedPermutationRun merged;
    merged.header = header;
    merged.header.shard = {};
    merged.rows.resize(static_cast<std::size_t>(header.permutations));
    for (const NamedPart& named : parts)
        for (const PermutationRow& row : named.part.rows) merged.rows[static_cast<std::size_t>(row.index - 1)] = row;
    return merged;
}

bool writePermutationPart(const std::filesystem::path& path, const PermutationPartHeader& header,
                          const std::vector<PermutationRow>& rows, std::string* error) {
    static const OwnedFileRules rules{
        "permutation part file", maxPartFileBytes,
        [](const std::optional<std::string>&, std::string_view next) -> std::optional<std::string> {
            std::string why;
            if (readPermutationPart(std::string(next), &why)) return std::nullopt;
            return why;
        }};
    const OwnedWrite written = changeOwnedFile(
        {path, &rules, [&](const auto&) { return OwnedFileChange::to(permutationPartText(header, rows)); }});
    if (!written && error != nullptr) *error = written.message;
    return static_cast<bool>(written);
}

}  // namespace varkel
