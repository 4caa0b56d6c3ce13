#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varkel::cli {

// The edits (insert, delete, replace, swap of two neighbours) that turn `a` into `b`.
int editDistance(std::string_view a, std::string_view b);

// The candidate a slip of the keyboard most likely meant by `word`: the
// nearest within two edits (one for words of up to three letters), the first
// of equals; nullopt when none is that near. Feeds "did you mean".
std::optional<std::string> nearestName(std::string_view word, const std::vector<std::string>& candidates);

}  // namespace varkel::cli
