#include "search/parallel_chunks.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace varkel {

bool runChunks(int chunkCount, int workerCount, const std::atomic<bool>* cancel,
               const std::function<void(int chunk, int worker)>& work) {
    std::atomic<int> nextChunk{0};
    std::atomic<bool> stopped{false};
    // An exception of one worker (std::bad_alloc, say) stops the others and
    // reaches the caller after every thread has ended, as it would without
    // threads; escaping a thread it would end the program.
    std::mutex failureMutex;
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    auto run = [&](int worker) {
        try {
            for (;;) {
                if (failed.load(std::memory_order_relaxed)) return;
                if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
                    stopped = true;
                    return;
                }
                const int chunk = nextChunk.fetch_add(1);
                if (chunk >= chunkCount) return;
                work(chunk, worker);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure) failure = std::current_exception();
            failed = true;
        }
    };
    const int threads = std::max(1, std::min(workerCount, chunkCount));
    std::vector<std::thread> pool;
    for (int worker = 1; worker < threads; ++worker) pool.emplace_back(run, worker);
    run(0);
    for (auto& thread : pool) thread.join();
    if (failure) std::rethrow_exception(failure);
    return !stopped;
}

}  // namespace varkel
