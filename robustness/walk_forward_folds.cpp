#include "robustness/walk_forward_folds.h"

#include <algorithm>

namespace varkel {

FoldPlan planFolds(int n, const FoldSettings& settings) {
    FoldPlan plan;
    const int train = settings.trainBars, test = settings.testBars;
    if (train < smallestTrainLength) plan.refusal = FoldRefusal::TrainTooShort;
    else if (test < 1) plan.refusal = FoldRefusal::TestTooShort;
    else if (train >= n) plan.refusal = FoldRefusal::NothingToTest;
    if (plan.refusal != FoldRefusal::None) return plan;
    // Steps of M from L; in 64 bits so that a huge M cannot wrap around.
    for (long long start = train; start < n; start += test) {
        const int s = static_cast<int>(start);
        const int end = static_cast<int>(std::min<long long>(start + test, n));
        plan.folds.push_back({settings.anchored ? 0 : s - train, s, s, end});
    }
    return plan;
}

std::string foldRefusalText(FoldRefusal refusal, int historyLength, const FoldSettings& settings) {
    switch (refusal) {
        case FoldRefusal::TrainTooShort:
            return "The train length must be at least " + std::to_string(smallestTrainLength) + " bars.";
        case FoldRefusal::TestTooShort: return "The test length must be at least 1 bar.";
        case FoldRefusal::NothingToTest:
            return "The history has " + std::to_string(historyLength) + " bars: with a train length of " +
                   std::to_string(settings.trainBars) + " no bar is left to test. Choose a shorter train length.";
        case FoldRefusal::None: break;
    }
    return {};
}

}  // namespace varkel
