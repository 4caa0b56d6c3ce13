#pragma once

#include <atomic>
#include <functional>

namespace varkel {

// The engine's one thread pool (the optimisers' searches and the PBO's passes).
// Runs work(chunk, worker) for every chunk 0 .. chunkCount-1, handing chunks
// out in order to `workerCount` threads (the calling thread is worker 0).
// Before each chunk the cancel flag is read; once it is set no new chunk
// starts and the call returns false. Results must not depend on which worker
// ran a chunk: callers keep per-chunk results and merge them in chunk order.
bool runChunks(int chunkCount, int workerCount, const std::atomic<bool>* cancel,
               const std::function<void(int chunk, int worker)>& work);

}  // namespace varkel
