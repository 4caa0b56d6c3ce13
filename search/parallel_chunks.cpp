#include "search/parallel_chunks.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace varkel {

bool runChunks(int chunkCount, int workerCount, const std::atomic<bool>* cancel,
               const std::function<void(int chunk, int worker)>& work) {
    std::atomic<int> nextChunk{0};
    std::atomic<bool> stopped{false};
    auto run = [&](int worker) {
        for (;;) {
            if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
                stopped = true;
                return;
            }
            const int chunk = nextChunk.fetch_add(1);
            if (chunk >= chunkCount) return;
            work(chunk, worker);
        }
    };
    const int threads = std::max(1, std::min(workerCount, chunkCount));
    std::vector<std::thread> pool;
    for (int worker = 1; worker < threads; ++worker) pool.emplace_back(run, worker);
    run(0);
    for (auto& thread : pool) thread.join();
    return !stopped;
}

}  // namespace varkel
