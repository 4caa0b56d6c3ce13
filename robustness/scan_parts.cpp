#include "robustness/scan_parts.h"

#include "base/formatted_text.h"
#include "base/owned_file.h"
#include "robustness/part_file_text.h"
#include "robustness/permutation_parts.h"
#include "studies/study_catalogue.h"

#include <cmath>

namespace varkel {

namespace {

const char* const magicLine = "varkel scan part 1";
constexpr const char* unknown = "-";

std::string kindText(const std::optional<StudyKind>& kind) { return kind ? findStudy(*kind)->option : unknown; }

std::string figureText(const std::optional<double>& value) { return value ? shortestText(*value) : unknown; }

// The real builds' lines, one per row.
std::string buildsText(const ScanPartHeader& header, const ScanResult& result) {
    std::string text;
    for (const ScanRow& row : result.rows) {
        std::size_t product = 0;
        while (product < header.inputs.size() && header.inputs[product].product != row.product) ++product;
        const std::optional<ScanWalkForward>& walk = row.walkForward;
        text += std::to_string(product + 1) + " " + kindText(row.combination.base) + " " +
                kindText(row.combination.second) + " " + kindText(row.combination.third) + " " +
                shortestText(row.real) + " " + shortestText(row.model.netProfit) + " " +
                std::to_string(row.model.tradeCount) + " " + figureText(row.flaggedShare) + " " +
                figureText(walk ? std::optional(walk->outOfSampleNet) : std::nullopt) + " " +
                figureText(walk ? std::optional(walk->profitableFoldShare) : std::nullopt) + " " +
                (walk ? std::to_string(walk->folds) : unknown) + "\n";
    }
    return text;
}

std::string rowsText(const ScanResult& result) {
    std::string text;
    for (std::size_t i = 0; i < result.permutationIndexes.size(); ++i) {
        text += std::to_string(result.permutationIndexes[i]);
        for (const std::vector<double>& returns : result.permuted) text += " " + shortestText(returns[i]);
        text += "\n";
    }
    return text;
}

// A finite number within maxPartReturn, or "-" for nothing.
bool readFigure(PartWords& words, std::optional<double>& value) {
    const std::string_view word = words.word();
    if (word == unknown) {
        value.reset();
        return true;
    }
    double number = 0.0;
    if (!PartWords(word).read(number) || !(std::fabs(number) <= maxPartReturn)) return false;
    value = number;
    return true;
}

bool readKind(PartWords& words, std::optional<StudyKind>& kind) {
    const std::string_view word = words.word();
    if (word == unknown) {
        kind.reset();
        return true;
    }
    const StudyInfo* study = findStudyByOption(word);
    if (study == nullptr) return false;
    kind = study->kind;
    return true;
}

// One real build's line; false when it is not one.
bool readBuild(std::string_view line, const ScanPartHeader& header, ScanRow& row) {
    PartWords words(line);
    std::size_t product = 0;
    std::optional<StudyKind> base;
    std::optional<double> real, net, folds;
    std::optional<double> walkNet, walkShare;
    int trades = 0;
    if (!words.read(product) || product < 1 || product > header.inputs.size() || !readKind(words, base) || !base ||
        !readKind(words, row.combination.second) || !readKind(words, row.combination.third) ||
        !readFigure(words, real) || !real || !readFigure(words, net) || !net || !words.read(trades) ||
        !readFigure(words, row.flaggedShare) || !readFigure(words, walkNet) || !readFigure(words, walkShare) ||
        !readFigure(words, folds) || !words.atEnd())
        return false;
    row.product = header.inputs[product - 1].product;
    row.combination.base = *base;
    if (validateIndexChoice(row.combination.choice())) return false;
    row.real = *real;
    row.model.netProfit = *net;
    row.model.tradeCount = trades;
    if (walkNet.has_value() != walkShare.has_value() || walkNet.has_value() != folds.has_value()) return false;
    if (walkNet) row.walkForward = ScanWalkForward{*walkNet, *walkShare, static_cast<int>(*folds)};
    return true;
}

// Which header field of `part` differs from `first`'s, in words; empty when none does.
std::string differingField(const ScanPartHeader& part, const ScanPartHeader& first) {
    if (part.programVersion != first.programVersion)
        return "it was written by version " + part.programVersion + ", not " + first.programVersion;
    if (part.inputs != first.inputs) return "its products or their price files differ";
    if (part.settings != first.settings) return "its settings are " + part.settings + ", not " + first.settings;
    if (part.permutations != first.permutations)
        return "it has " + std::to_string(part.permutations) + " permutations, not " + std::to_string(first.permutations);
    if (part.seed != first.seed) return "its seed is " + std::to_string(part.seed) + ", not " + std::to_string(first.seed);
    if (part.shard.count != first.shard.count)
        return "it is one of " + std::to_string(part.shard.count) + " shards, not " + std::to_string(first.shard.count);
    return {};
}

}  // namespace

std::string scanPartText(const ScanPartHeader& header, const ScanResult& result) {
    std::string text = std::string(magicLine) + "\n";
    text += "program " + header.programVersion + "\n";
    text += "inputs " + std::to_string(header.inputs.size()) + "\n";
    for (const ScanPartHeader::Input& input : header.inputs) text += "input " + input.sha256 + " " + input.product + "\n";
    text += "settings " + header.settings + "\n";
    text += "permutations " + std::to_string(header.permutations) + "\n";
    text += "seed " + std::to_string(header.seed) + "\n";
    text += "shard " + shardText(header.shard) + "\n";
    const std::string summed = "builds " + std::to_string(result.rows.size()) + "\n" + buildsText(header, result) +
                               "rows " + std::to_string(result.permutationIndexes.size()) + "\n" + rowsText(result);
    return text + summed + rowsSumLine(summed);
}

std::optional<ScanPart> readScanPart(const std::string& text, std::string* error) {
    ScanPart part;
    ScanPartHeader& header = part.header;
    ScanResult& result = part.result;
    PartLines lines(text);
    auto fail = [&](const std::string& why) -> std::optional<ScanPart> {
        if (error != nullptr) *error = "line " + std::to_string(lines.lineNumber()) + ": " + why;
        return std::nullopt;
    };
    if (lines.next() != magicLine) return fail("not a scan part file");
    const auto program = lines.field("program");
    if (!program) return fail("expected program and its version");
    header.programVersion = std::string(*program);
    const auto inputs = lines.field("inputs");
    std::size_t inputCount = 0;
    if (!inputs || !PartWords(*inputs).read(inputCount) || inputCount < 1 || inputCount > maxScanProducts)
        return fail("expected inputs and a number of products from 1 to " + std::to_string(maxScanProducts));
    for (std::size_t j = 0; j < inputCount; ++j) {
        const auto input = lines.field("input");
        if (!input || input->size() < 66 || (*input)[64] != ' ')
            return fail("expected input, 64 hex digits and a product");
        header.inputs.push_back({std::string(input->substr(0, 64)), std::string(input->substr(65))});
    }
    const auto settings = lines.field("settings");
    if (!settings) return fail("expected settings");
    header.settings = std::string(*settings);
    const auto permutations = lines.field("permutations");
    if (!permutations || !PartWords(*permutations).read(header.permutations) || header.permutations < 1 ||
        header.permutations > maxScanPermutations)
        return fail("expected permutations and a whole number from 1 to " + std::to_string(maxScanPermutations));
    const auto seed = lines.field("seed");
    if (!seed || !PartWords(*seed).read(header.seed)) return fail("expected seed and a whole number");
    const auto shard = lines.field("shard");
    if (!shard || !readShard(*shard, header.shard)) return fail("expected shard I/N");
    result.permutations = header.permutations;
    result.seed = header.seed;
    result.shard = header.shard;

    const std::size_t summedStart = lines.position();
    const auto builds = lines.field("builds");
    std::size_t buildCount = 0;
    if (!builds || !PartWords(*builds).read(buildCount) || buildCount < 1 ||
        buildCount > maxScanProducts * scanCombinations().size())
        return fail("expected builds and their number");
    for (std::size_t r = 0; r < buildCount; ++r) {
        if (lines.atEnd()) return fail("the file ends after " + std::to_string(r) + " of its builds");
        ScanRow& row = result.rows.emplace_back();
        if (!readBuild(lines.next(), header, row))
            return fail("expected a product number, three indexes and the figures of a build");
    }
    const auto rows = lines.field("rows");
    std::int64_t rowCount = 0;
    if (!rows || !PartWords(*rows).read(rowCount) || rowCount < 0 || rowCount > header.permutations)
        return fail("expected rows and a whole number");
    result.permuted.assign(buildCount, std::vector<double>(static_cast<std::size_t>(rowCount)));
    for (std::int64_t i = 0; i < rowCount; ++i) {
        if (lines.atEnd()) return fail("the file ends after " + std::to_string(i) + " of its rows");
        PartWords words(lines.next());
        std::int64_t k = 0;
        bool read = words.read(k);
        for (std::size_t r = 0; read && r < buildCount; ++r) {
            double& value = result.permuted[r][static_cast<std::size_t>(i)];
            read = words.read(value) && std::fabs(value) <= maxPartReturn;
        }
        if (!read || !words.atEnd()) return fail("expected a permutation index and one finite return per build");
        result.permutationIndexes.push_back(k);
    }
    if (const auto fault = rowsSumFault(lines, summedStart, rowCount)) return fail(*fault);
    result.outcome = RunOutcome::Done;
    return part;
}

std::optional<ScanPart> mergeScanParts(const std::vector<NamedScanPart>& parts, std::string* error) {
    auto fail = [error](const std::string& why) -> std::optional<ScanPart> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    if (parts.empty()) return fail("No part files to merge");
    const NamedScanPart& first = parts.front();
    const std::string firstBuilds = buildsText(first.part.header, first.part.result);
    std::vector<PartShard> shards;
    for (const NamedScanPart& named : parts) {
        const std::string field = differingField(named.part.header, first.part.header);
        if (!field.empty()) return fail(named.name + " is not a part of the same scan as " + first.name + ": " + field);
        if (buildsText(named.part.header, named.part.result) != firstBuilds)
            return fail(named.name + " is not a part of the same scan as " + first.name + ": its real builds differ");
        shards.push_back({named.name, named.part.header.shard, named.part.result.permutationIndexes});
    }
    const std::int64_t permutations = first.part.header.permutations;
    if (const auto fault = shardCoverageFault(shards, permutations)) return fail(*fault);
    ScanPart merged;
    merged.header = first.part.header;
    merged.header.shard = {};
    ScanResult& result = merged.result;
    result.outcome = RunOutcome::Done;
    result.rows = first.part.result.rows;
    result.permutations = permutations;
    result.seed = first.part.header.seed;
    for (std::int64_t k = 1; k <= permutations; ++k) result.permutationIndexes.push_back(k);
    result.permuted.assign(result.rows.size(), std::vector<double>(static_cast<std::size_t>(permutations)));
    for (const NamedScanPart& named : parts) {
        const ScanResult& part = named.part.result;
        for (std::size_t i = 0; i < part.permutationIndexes.size(); ++i)
            for (std::size_t r = 0; r < part.permuted.size(); ++r)
                result.permuted[r][static_cast<std::size_t>(part.permutationIndexes[i] - 1)] = part.permuted[r][i];
    }
    scoreScanFamily(result);
    return merged;
}

bool writeScanPart(const std::filesystem::path& path, const ScanPartHeader& header, const ScanResult& result,
                   std::string* error) {
    static const OwnedFileRules rules{
        "scan part file", maxPartFileBytes,
        [](const std::optional<std::string>&, std::string_view next) -> std::optional<std::string> {
            std::string why;
            if (readScanPart(std::string(next), &why)) return std::nullopt;
            return why;
        }};
    const OwnedWrite written = changeOwnedFile(
        {path, &rules, [&](const auto&) { return OwnedFileChange::to(scanPartText(header, result)); }});
    if (!written && error != nullptr) *error = written.message;
    return static_cast<bool>(written);
}

}  // namespace varkel
