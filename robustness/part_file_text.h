#pragma once

#include "robustness/permutation_runs.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// What the part files of sharded runs (the permutation test, the scan) share:
// lines of "key value", numbers read as whole words, the SHA-256 of the rows
// after them, and the check that the parts of one run cover every
// permutation exactly once.

// "2/4".
std::string shardText(PermutationShard shard);

// Reads "I/N" with 1 <= I <= N; false for anything else.
bool readShard(std::string_view text, PermutationShard& shard);

// Reads the whole words of a line, each a number of type T written whole.
class PartWords {
public:
    explicit PartWords(std::string_view text) : text_(text) {}

    template <typename T>
    bool read(T& value) {
        const std::size_t end = std::min(text_.find(' ', position_), text_.size());
        if (end == position_) return false;
        const auto [ptr, ec] = std::from_chars(text_.data() + position_, text_.data() + end, value);
        if (ec != std::errc() || ptr != text_.data() + end) return false;
        position_ = end == text_.size() ? end : end + 1;
        return true;
    }
    // The next word as it stands; empty at the end.
    std::string_view word();
    bool atEnd() const { return position_ == text_.size() && (text_.empty() || text_.back() != ' '); }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

// Reads a part file line by line, counting the lines for the messages.
class PartLines {
public:
    explicit PartLines(std::string_view text) : text_(text) {}

    bool atEnd() const { return start_ >= text_.size(); }
    // The next line; empty at the end.
    std::string_view next();
    // The value of the next line, which must be `key`, a blank and the value.
    std::optional<std::string_view> field(std::string_view key);
    int lineNumber() const { return lineNumber_; }
    std::string_view text() const { return text_; }
    std::size_t position() const { return start_; }
    // The text from `from` up to the current position.
    std::string_view textSince(std::size_t from) const { return text_.substr(from, start_ - from); }

private:
    std::string_view text_;
    std::size_t start_ = 0;
    int lineNumber_ = 0;
};

// "rows-sha256 <the SHA-256 of the rows' text>\n".
std::string rowsSumLine(std::string_view rows);

// After `rowCount` rows read since `rowsStart`: the fault of the rows-sha256
// line and the file's end (a sum that does not match, a last line without its
// line end, lines after the sum), or nothing.
std::optional<std::string> rowsSumFault(PartLines& lines, std::size_t rowsStart, std::int64_t rowCount);

// One part's place in its run: its file's name, its shard and the permutation
// indexes its rows hold, in their order.
struct PartShard {
    std::string name;
    PermutationShard shard;
    std::vector<std::int64_t> indexes;
};

// The message when the parts (all of one run of `permutations`, each with
// the same shard count) do not cover every permutation exactly once: a shard
// given twice, a part whose rows are not exactly its shard's indexes in
// order, or a shard missing; nothing when they do.
std::optional<std::string> shardCoverageFault(const std::vector<PartShard>& parts, std::int64_t permutations);

}  // namespace varkel
