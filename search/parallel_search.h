#pragma once

#include "search/optimiser_control.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace varkel {

// The best trial of one work item: its return and its position in the item's
// own loop order; no trial when none of the item's trials beat the start value.
struct ItemBest {
    double bestReturn = searchStartReturn;
    std::optional<int> trial;
};

struct SearchBest {
    struct Chosen {
        int item = 0;
        int trial = 0;
        double bestReturn = searchStartReturn;
    };
    // Nothing when the search was cancelled or no trial beat the start value.
    std::optional<Chosen> chosen;
    bool cancelled = false;
};

// The first strictly best of `count` returns of one item, met in loop order
// (keepFirstStrictlyBest).
ItemBest firstBestOf(const double* returns, int count);

// Runs items 0 .. itemCount-1 (in outer-loop order) on the thread pool
// (runChunks, one item a chunk). Each call gets the item and the worker's
// index (for per-worker scratch space) and reports how many trials it ran
// through `trialsPerItem`. The bests are merged in item order with strict
// improvement, so the result is the first best in loop order, exactly as one
// thread walking the whole grid would find it.
SearchBest runParallelSearch(int itemCount, std::int64_t totalTrials, const OptimiserControl& control,
                             int workerCount,
                             const std::function<ItemBest(int item, int worker, std::int64_t& trials)>& runItem);

}  // namespace varkel
