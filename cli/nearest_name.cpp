#include "cli/nearest_name.h"

#include <algorithm>

namespace varkel::cli {

int editDistance(std::string_view a, std::string_view b) {
    // Optimal string alignment: Levenshtein plus the swap of two neighbours,
    // the commonest typing slip ("buidl").
    const std::size_t rows = a.size() + 1, columns = b.size() + 1;
    std::vector<int> d(rows * columns);
    const auto at = [&d, columns](std::size_t i, std::size_t j) -> int& { return d[i * columns + j]; };
    for (std::size_t i = 0; i < rows; ++i) at(i, 0) = static_cast<int>(i);
    for (std::size_t j = 0; j < columns; ++j) at(0, j) = static_cast<int>(j);
    for (std::size_t i = 1; i < rows; ++i)
        for (std::size_t j = 1; j < columns; ++j) {
            const int replace = a[i - 1] == b[j - 1] ? 0 : 1;
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + replace});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
        }
    return at(rows - 1, columns - 1);
}

std::optional<std::string> nearestName(std::string_view word, const std::vector<std::string>& candidates) {
    // Two edits make almost any short word into any other: "ma" is not "rsi".
    const int allowed = word.size() <= 3 ? 1 : 2;
    std::optional<std::string> nearest;
    int best = allowed + 1;
    for (const std::string& candidate : candidates) {
        const int distance = editDistance(word, candidate);
        if (distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    return nearest;
}

}  // namespace varkel::cli
