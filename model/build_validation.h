#pragma once

#include "model/trade_model.h"

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

    bool operator==(const IndexChoice&) const = default;
};

// The choice a model was built from: its layers' kinds.
IndexChoice indexChoiceOf(const TradeModel& model);

// The message that refuses the choice, or nothing when it can be built. A base
// index must be one of the base studies, a filter one of the filter studies; a
// filter may not repeat a study already in use in an earlier layer.
std::optional<std::string> validateIndexChoice(const IndexChoice& choice);

// The fewest price bars a study needs in a build: the longest of the first
// spans its builder grid tries and of the smallest spans it accepts (MACD:
// fast 4, slow 5, signal 7 gives 7). 0 for a kind the builder does not search.
int smallestSpanNeeded(int studyKind);

// The fewest price bars a build of the choice needs: the most any of its
// chosen studies needs.
int barsNeededToBuild(const IndexChoice& choice);

// "The history of USD/JPY has 0 bars: a build needs at least 7", or nothing
// when the history is long enough for the choice.
std::optional<std::string> validateHistoryLength(std::string_view productName, int historyLength,
                                                 const IndexChoice& choice);

}  // namespace varkel
