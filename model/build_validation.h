#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// The study kind of a builder list entry ("MACD" 5, "Time Series Correlation" 8,
// "Rate Of Change" 9, "Linear Regression" 10, "Normal Distribution" 11,
// "Stochastics" 12, "Keltner Channels" 13); -999 for anything else.
int studyKindFromListText(std::string_view text);

// What the user picked: kinds of the three lists (-999 when nothing is
// selected) and whether the 2nd and 3rd index are enabled.
struct IndexChoice {
    int baseKind = -999;
    bool use2nd = false;
    int secondKind = -999;
    bool use3rd = false;
    int thirdKind = -999;
};

// The message that refuses the choice, or nothing when it can be built. A base
// index must be one of the base studies; a filter may not repeat a study
// already in use in an earlier layer.
std::optional<std::string> validateIndexChoice(const IndexChoice& choice);

// The smallest span a study's search tries, and so the fewest price bars the
// study needs to give a value at all: the longest of its smallest spans
// (MACD: fast 4, slow 5, signal 7 gives 7). 0 for a kind that is not searched.
int smallestSpanNeeded(int studyKind);

// The fewest price bars a build of the choice needs: the most any of its
// chosen studies needs.
int barsNeededToBuild(const IndexChoice& choice);

// "The history of USD/JPY has 0 bars: a build needs at least 7", or nothing
// when the history is long enough for the choice.
std::optional<std::string> validateHistoryLength(std::string_view productName, int historyLength,
                                                 const IndexChoice& choice);

}  // namespace varkel
