#include "robustness/permutation_parts.h"

#include "base/formatted_text.h"
#include "base/owned_file.h"
#include "base/sha256.h"
#include "base/text_lines.h"

#include <charconv>
#include <cmath>
#include <map>

namespace varkel {

namespace {

const char* const magicLine = "varkel permutation part 2";
// Part 1 files carried no version and no sum of their rows: they are not read.
const char* const olderMagicLine = "varkel permutation part 1";

std::string shardText(PermutationShard shard) {
    return std::to_string(shard.number) + "/" + std::to_string(shard.count);
}

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

// Reads whole words of a line, each a number of type T written whole.
class Words {
public:
    explicit Words(std::string_view text) : text_(text) {}

    template <typename T>
    bool read(T& value) {
        const std::size_t end = std::min(text_.find(' ', position_), text_.size());
        if (end == position_) return false;
        const auto [ptr, ec] = std::from_chars(text_.data() + position_, text_.data() + end, value);
        if (ec != std::errc() || ptr != text_.data() + end) return false;
        position_ = end == text_.size() ? end : end + 1;
        return true;
    }
    bool atEnd() const { return position_ == text_.size() && (text_.empty() || text_.back() != ' '); }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

// The returns of the layers in use, each finite and within maxPartReturn,
// and nothing after them.
bool readReturns(Words& words, const LayersInUse& layers, LayerReturns& returns) {
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
    return text + rowLines + "rows-sha256 " + sha256Hex(rowLines) + "\n";
}

std::optional<PermutationPart> readPermutationPart(const std::string& text, std::string* error) {
    PermutationPart part;
    PermutationPartHeader& header = part.header;
    std::size_t start = 0;
    int lineNumber = 0;
    std::string_view line;
    auto fail = [&](const std::string& why) -> std::optional<PermutationPart> {
        if (error != nullptr) *error = "line " + std::to_string(lineNumber) + ": " + why;
        return std::nullopt;
    };
    // The value of the next line, which must start with `key` and a blank.
    auto field = [&](std::string_view key) -> std::optional<std::string_view> {
        if (start >= text.size()) return std::nullopt;
        line = nextLine(text, start);
        ++lineNumber;
        if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ' ')
            return std::nullopt;
        return line.substr(key.size() + 1);
    };
    const std::string_view first = start < text.size() ? nextLine(text, start) : std::string_view();
    ++lineNumber;
    if (first == olderMagicLine) return fail("a part file of an older version, without the SHA-256 of its rows; run its shard again");
    if (first != magicLine) return fail("not a permutation part file");
    const auto program = field("program");
    if (!program) return fail("expected program and its version");
    header.programVersion = std::string(*program);
    const auto sha = field("input-sha256");
    if (!sha || sha->size() != 64) return fail("expected input-sha256 and 64 hex digits");
    header.inputSha256 = std::string(*sha);
    const auto product = field("product");
    if (!product) return fail("expected product");
    header.product = std::string(*product);
    const auto build = field("build");
    if (!build) return fail("expected build");
    header.build = std::string(*build);
    const auto permutations = field("permutations");
    if (!permutations || !Words(*permutations).read(header.permutations) || header.permutations < 1)
        return fail("expected permutations and a whole number");
    const auto seed = field("seed");
    if (!seed || !Words(*seed).read(header.seed)) return fail("expected seed and a whole number");
    const auto layers = field("layers");
    if (!layers) return fail("expected layers");
    Words layerWords(*layers);
    for (int layer = 0; !layerWords.atEnd();) {
        if (!layerWords.read(layer) || layer < 1 || layer > 3) return fail("expected layers 1 to 3");
        header.layers[static_cast<std::size_t>(layer - 1)] = true;
    }
    if (!header.layers[0]) return fail("a build has a base layer");
    const auto real = field("real");
    Words realWords(real.value_or(std::string_view{}));
    if (!real || !readReturns(realWords, header.layers, header.real))
        return fail("expected real and one return per layer");
    const auto shard = field("shard");
    const std::size_t slash = shard ? shard->find('/') : std::string_view::npos;
    if (slash == std::string_view::npos || !Words(shard->substr(0, slash)).read(header.shard.number) ||
        !Words(shard->substr(slash + 1)).read(header.shard.count) || header.shard.number < 1 ||
        header.shard.number > header.shard.count)
        return fail("expected shard I/N");
    const auto rows = field("rows");
    std::int64_t rowCount = 0;
    if (!rows || !Words(*rows).read(rowCount) || rowCount < 0) return fail("expected rows and a whole number");
    const std::size_t rowsStart = start;
    for (std::int64_t i = 0; i < rowCount; ++i) {
        if (start >= text.size()) return fail("the file ends after " + std::to_string(i) + " of its rows");
        line = nextLine(text, start);
        ++lineNumber;
        PermutationRow row;
        Words words(line);
        if (!words.read(row.index) || !readReturns(words, header.layers, row.returns))
            return fail("expected a permutation index and one finite return per layer");
        part.rows.push_back(row);
    }
    const std::string_view rowLines = std::string_view(text).substr(rowsStart, start - rowsStart);
    const auto sum = field("rows-sha256");
    if (!sum) return fail("expected rows-sha256 after " + std::to_string(rowCount) + " rows");
    if (*sum != sha256Hex(rowLines)) return fail("its rows do not match their SHA-256: the file changed after it was written");
    if (text.back() != '\n') return fail("the last line has no line end: the file is cut short");
    if (start < text.size()) return ++lineNumber, fail("more lines than its rows");
    return part;
}

std::optional<MergedPermutationRun> mergePermutationParts(const std::vector<NamedPart>& parts, std::string* error) {
    auto fail = [error](const std::string& why) -> std::optional<MergedPermutationRun> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    if (parts.empty()) return fail("No part files to merge");
    const NamedPart& first = parts.front();
    std::map<int, const NamedPart*> byShard;
    for (const NamedPart& named : parts) {
        const PermutationPartHeader& header = named.part.header;
        if (const std::string field = differingField(header, first.part.header); !field.empty())
            return fail(named.name + " is not a part of the same run as " + first.name + ": " + field);
        const auto [at, added] = byShard.emplace(header.shard.number, &named);
        if (!added)
            return fail("Shard " + shardText(header.shard) + " is given twice: " + at->second->name + " and " +
                        named.name);
        const std::vector<PermutationRow>& rows = named.part.rows;
        const std::int64_t expected = shardSize(header.permutations, header.shard);
        for (std::int64_t i = 0; i < static_cast<std::int64_t>(rows.size()); ++i)
            if (i >= expected || rows[static_cast<std::size_t>(i)].index != shardIndex(i, header.shard))
                return fail(named.name + ": permutation " + std::to_string(rows[static_cast<std::size_t>(i)].index) +
                            " is not the next of shard " + shardText(header.shard));
        if (static_cast<std::int64_t>(rows.size()) < expected)
            return fail(named.name + ": permutation " + std::to_string(shardIndex(static_cast<std::int64_t>(rows.size()),
                                                                                  header.shard)) +
                        " of shard " + shardText(header.shard) + " is missing");
    }
    const PermutationPartHeader& header = first.part.header;
    for (int number = 1; number <= header.shard.count; ++number) {
        if (byShard.count(number) > 0) continue;
        const PermutationShard missing{number, header.shard.count};
        std::string indexes;
        for (std::int64_t i = 0; i < std::min<std::int64_t>(3, shardSize(header.permutations, missing)); ++i)
            indexes += (i > 0 ? ", " : "") + std::to_string(shardIndex(i, missing));
        return fail("Shard " + shardText(missing) + " is missing: permutations " + indexes + ", ... are not covered");
    }
    MergedPermutationRun merged;
    merged.header = header;
    merged.header.shard = {};
    merged.rows.resize(static_cast<std::size_t>(header.permutations));
    for (const auto& [number, named] : byShard)
        for (const PermutationRow& row : named->part.rows) merged.rows[static_cast<std::size_t>(row.index - 1)] = row;
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
