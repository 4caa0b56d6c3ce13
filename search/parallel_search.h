#pragma once

#include "search/optimiser_control.h"

#include <cstdint>
#include <functional>

namespace varkel {

// The best trial of one work item: its return and its position in the item's
// own loop order (-1 when the item ran no trial).
struct ItemBest {
    double bestReturn = -999999.0;
    int trial = -1;
};

struct SearchBest {
    int item = -1;
    int trial = -1;
    double bestReturn = -999999.0;
    bool cancelled = false;
};

// Runs items 0 .. itemCount-1 (in outer-loop order) spread over threads. Each
// call gets the item and the worker's index (for per-worker scratch space) and
// reports how many trials it ran through `trialsPerItem`. The bests are merged
// in item order with strict improvement, so the result is the first best in
// loop order, exactly as one thread walking the whole grid would find it.
SearchBest runParallelSearch(int itemCount, std::int64_t totalTrials, const OptimiserControl& control,
                             int workerCount,
                             const std::function<ItemBest(int item, int worker, std::int64_t& trials)>& runItem);

}  // namespace varkel
