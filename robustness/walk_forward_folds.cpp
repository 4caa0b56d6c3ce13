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

}  // namespace varkel
