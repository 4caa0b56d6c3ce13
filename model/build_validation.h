#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// The kind code of a builder list entry (the study catalogue's name of a
// study the builder uses: "MACD" 5, "Keltner Channels" 13, ...); -999 for
// anything else.
int studyKindFromListText(std::string_view text);

// What the user picked: the kind codes of the three lists, as a model file
// stores them (-999 when nothing is selected), and whether the 2nd and 3rd
// index are enabled.
struct IndexChoice {
    int baseKind = -999;
    bool use2nd = false;
    int secondKind = -999;
    bool use3rd = false;
    int thirdKind = -999;
};

// The message that refuses the choice, or nothing when it can be built. A base
// index must be one of the base studies, a filter one of the filter studies; a
// filter may not repeat a study already in use in an earlier layer.
std::optional<std::string> validateIndexChoice(const IndexChoice& choice);

}  // namespace varkel
