#include "search/parallel_search.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace varkel {

SearchBest runParallelSearch(int itemCount, std::int64_t totalTrials, const OptimiserControl& control,
                             int workerCount,
                             const std::function<ItemBest(int item, int worker, std::int64_t& trials)>& runItem) {
    std::vector<ItemBest> bests(static_cast<std::size_t>(itemCount > 0 ? itemCount : 0));
    std::atomic<int> nextItem{0};
    std::atomic<std::int64_t> trialsDone{0};
    std::atomic<bool> stopped{false};
    std::mutex progressMutex;

    auto work = [&](int worker) {
        for (;;) {
            if (control.cancelled()) {
                stopped = true;
                return;
            }
            const int item = nextItem.fetch_add(1);
            if (item >= itemCount) return;
            std::int64_t trials = 0;
            bests[static_cast<std::size_t>(item)] = runItem(item, worker, trials);
            const std::int64_t done = trialsDone.fetch_add(trials) + trials;
            if (control.onProgress) {
                std::lock_guard lock(progressMutex);
                control.onProgress(done, totalTrials);
            }
        }
    };

    const int threads = workerCount < itemCount ? workerCount : (itemCount > 0 ? itemCount : 1);
    std::vector<std::thread> pool;
    for (int worker = 1; worker < threads; ++worker) pool.emplace_back(work, worker);
    work(0);
    for (auto& thread : pool) thread.join();

    SearchBest result;
    result.cancelled = stopped;
    if (result.cancelled) return result;
    for (int item = 0; item < itemCount; ++item) {
        const ItemBest& best = bests[static_cast<std::size_t>(item)];
        if (best.trial >= 0 && best.bestReturn > result.bestReturn) {
            result.bestReturn = best.bestReturn;
            result.item = item;
            result.trial = best.trial;
        }
    }
    return result;
}

}  // namespace varkel
