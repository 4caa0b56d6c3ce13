#pragma once

#include "model/trade_model.h"
#include "studies/study_kind.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// The kind of a builder list entry (the study catalogue's name of a study the
// builder uses: "MACD", "Keltner Channels", ...); nothing for anything else.
std::optional<StudyKind> studyKindFromListText(std::string_view text);

// What the user picked: the study of each of the three lists (nothing when no
// entry is selected), and whether the 2nd and 3rd index are enabled.
struct IndexChoice {
    std::optional<StudyKind> baseKind{};
    bool use2nd = false;
    std::optional<StudyKind> secondKind{};
    bool use3rd = false;
    std::optional<StudyKind> thirdKind{};

    // The kinds of layers 1 to 3 a build of a valid choice searches; NotInUse
    // for an index not enabled.
    std::array<StudyKind, 3> layerKinds() const;

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
int smallestSpanNeeded(std::optional<StudyKind> kind);

// The fewest price bars a build of the choice needs: the most any of its
// chosen studies needs.
int barsNeededToBuild(const IndexChoice& choice);

// "The history of USD/JPY has 0 bars: a build needs at least 7", or nothing
// when the history is long enough for the choice.
std::optional<std::string> validateHistoryLength(std::string_view productName, int historyLength,
                                                 const IndexChoice& choice);

}  // namespace varkel
