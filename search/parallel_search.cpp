#include "search/parallel_search.h"

#include "search/first_best.h"
#include "search/parallel_chunks.h"

#include <mutex>
#include <vector>

namespace varkel {

SearchBest runParallelSearch(int itemCount, std::int64_t totalTrials, const OptimiserControl& control,
                             int workerCount,
                             const std::function<ItemBest(int item, int worker, std::int64_t& trials)>& runItem) {
    std::vector<ItemBest> bests(static_cast<std::size_t>(itemCount > 0 ? itemCount : 0));
    std::int64_t trialsDone = 0;
    std::mutex progressMutex;
    const bool finished = runChunks(itemCount, workerCount, control.cancel, [&](int item, int worker) {
        std::int64_t trials = 0;
        bests[static_cast<std::size_t>(item)] = runItem(item, worker, trials);
        // Counted and told under one lock: counted outside it, a worker could
        // tell a smaller count after another told a larger one.
        std::lock_guard lock(progressMutex);
        trialsDone += trials;
        control.reportProgress(trialsDone, totalTrials);
    });

    SearchBest result;
    result.cancelled = !finished;
    if (result.cancelled) return result;
    double bestReturn = searchStartReturn;
    std::optional<int> bestItem;
    for (int item = 0; item < itemCount; ++item) {
        const ItemBest& best = bests[static_cast<std::size_t>(item)];
        if (best.trial) keepFirstStrictlyBest(best.bestReturn, item, bestReturn, bestItem);
    }
    if (bestItem) {
        const ItemBest& best = bests[static_cast<std::size_t>(*bestItem)];
        result.chosen = SearchBest::Chosen{*bestItem, *best.trial, best.bestReturn};
    }
    return result;
}

ItemBest firstBestOf(const double* returns, int count) {
    ItemBest best;
    for (int k = 0; k < count; ++k) keepFirstStrictlyBest(returns[k], k, best.bestReturn, best.trial);
    return best;
}

}  // namespace varkel
