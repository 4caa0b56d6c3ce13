#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace varkel {

// How long work on worker threads runs: on how many threads (0: one per
// core), whom it tells about progress, and what it watches for a request to stop.
struct WorkControl {
    int threads = 0;
    // Work done of the total. Called from worker threads, one call at a time;
    // keep it cheap.
    std::function<void(std::int64_t done, std::int64_t total)> onProgress;
    // Checked between pieces of work; when it becomes true the work stops
    // early and reports itself cancelled.
    const std::atomic<bool>* cancel = nullptr;

    bool cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
};

// The most threads work may be asked for: four per core.
int maxWorkerThreads();

// The workers work of `itemCount` items runs on: what the control asks for
// (one per core when it asks for none), never more than maxWorkerThreads() nor
// than there are items, and at least 1. Per-worker scratch is sized by it.
int workerCountFor(const WorkControl& control, int itemCount);

}  // namespace varkel
