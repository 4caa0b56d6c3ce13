#pragma once

#include <string>
#include <vector>

namespace varkel {

// How a history is cut into train and test windows.
struct FoldSettings {
    int trainBars = 1000;  // L
    int testBars = 250;    // M
    bool anchored = false;  // train from bar 0 instead of the last L bars
};

// Fold k tests the bars [testFrom, testTo) with a model built on the bars
// [trainFrom, trainTo); trainTo == testFrom.
struct Fold {
    int trainFrom = 0;
    int trainTo = 0;
    int testFrom = 0;
    int testTo = 0;
    int trainLength() const { return trainTo - trainFrom; }
    int testLength() const { return testTo - testFrom; }
    bool operator==(const Fold&) const = default;
};

// Why a history cannot be walked forward with the settings.
enum class FoldRefusal { None, TrainTooShort, TestTooShort, NothingToTest };

inline constexpr int smallestTrainLength = 50;

struct FoldPlan {
    FoldRefusal refusal = FoldRefusal::None;
    std::vector<Fold> folds;
};

// The folds of a history of n bars: the first test window starts at bar L,
// each next one M bars later, and the last may be shorter, ending at bar n.
// Refused when L < 50 (TrainTooShort), M < 1 (TestTooShort) or L >= n
// (NothingToTest).
FoldPlan planFolds(int n, const FoldSettings& settings);

// The refusal in words for a history of `historyLength` bars; empty for None.
std::string foldRefusalText(FoldRefusal refusal, int historyLength, const FoldSettings& settings);

}  // namespace varkel
