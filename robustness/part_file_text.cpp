#include "robustness/part_file_text.h"

#include "base/sha256.h"
#include "base/text_lines.h"

#include <map>

namespace varkel {

std::string shardText(PermutationShard shard) {
    return std::to_string(shard.number) + "/" + std::to_string(shard.count);
}

bool readShard(std::string_view text, PermutationShard& shard) {
    const std::size_t slash = text.find('/');
    return slash != std::string_view::npos && PartWords(text.substr(0, slash)).read(shard.number) &&
           PartWords(text.substr(slash + 1)).read(shard.count) && shard.number >= 1 && shard.number <= shard.count;
}

std::string_view PartWords::word() {
    const std::size_t end = std::min(text_.find(' ', position_), text_.size());
    const std::string_view found = text_.substr(position_, end - position_);
    position_ = end == text_.size() ? end : end + 1;
    return found;
}

std::string_view PartLines::next() {
    if (atEnd()) return {};
    ++lineNumber_;
    return nextLine(text_, start_);
}

std::optional<std::string_view> PartLines::field(std::string_view key) {
    if (atEnd()) return std::nullopt;
    const std::string_view line = next();
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ' ') return std::nullopt;
    return line.substr(key.size() + 1);
}

std::string rowsSumLine(std::string_view rows) { return "rows-sha256 " + sha256Hex(rows) + "\n"; }

std::optional<std::string> rowsSumFault(PartLines& lines, std::size_t rowsStart, std::int64_t rowCount) {
    const std::string_view rows = lines.textSince(rowsStart);
    const auto sum = lines.field("rows-sha256");
    if (!sum) return "expected rows-sha256 after " + std::to_string(rowCount) + " rows";
    if (*sum != sha256Hex(rows)) return std::string("its rows do not match their SHA-256: the file changed after it was written");
    if (lines.text().back() != '\n') return std::string("the last line has no line end: the file is cut short");
    if (!lines.atEnd()) {
        lines.next();
        return std::string("more lines than its rows");
    }
    return std::nullopt;
}

std::optional<std::string> shardCoverageFault(const std::vector<PartShard>& parts, std::int64_t permutations) {
    std::map<int, const PartShard*> byShard;
    for (const PartShard& part : parts) {
        const auto [at, added] = byShard.emplace(part.shard.number, &part);
        if (!added)
            return "Shard " + shardText(part.shard) + " is given twice: " + at->second->name + " and " + part.name;
        const std::int64_t expected = shardSize(permutations, part.shard);
        for (std::int64_t i = 0; i < static_cast<std::int64_t>(part.indexes.size()); ++i)
            if (i >= expected || part.indexes[static_cast<std::size_t>(i)] != shardIndex(i, part.shard))
                return part.name + ": permutation " + std::to_string(part.indexes[static_cast<std::size_t>(i)]) +
                       " is not the next of shard " + shardText(part.shard);
        if (static_cast<std::int64_t>(part.indexes.size()) < expected)
            return part.name + ": permutation " +
                   std::to_string(shardIndex(static_cast<std::int64_t>(part.indexes.size()), part.shard)) +
                   " of shard " + shardText(part.shard) + " is missing";
    }
    const int count = parts.empty() ? 0 : parts.front().shard.count;
    for (int number = 1; number <= count; ++number) {
        if (byShard.count(number) > 0) continue;
        const PermutationShard missing{number, count};
        std::string indexes;
        for (std::int64_t i = 0; i < std::min<std::int64_t>(3, shardSize(permutations, missing)); ++i)
            indexes += (i > 0 ? ", " : "") + std::to_string(shardIndex(i, missing));
        return "Shard " + shardText(missing) + " is missing: permutations " + indexes + ", ... are not covered";
    }
    return std::nullopt;
}

}  // namespace varkel
