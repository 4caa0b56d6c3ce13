#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace varkel {

class TrialLedger;

// How an optimiser runs: on how many threads (0: one per core), whom it tells
// about progress, what it watches for a request to stop, and where it records
// its trials.
struct OptimiserControl {
    int threads = 0;
    // Trials done of the layer's total. Called from worker threads, one call at
    // a time; keep it cheap.
    std::function<void(std::int64_t done, std::int64_t total)> onProgress;
    // Checked between trials; when it becomes true the optimiser stops early
    // and reports itself cancelled without touching the bars.
    const std::atomic<bool>* cancel = nullptr;
    // When set, the search also records every trial it tries into this ledger
    // (trial_ledger.h); its own result stays the same.
    TrialLedger* ledger = nullptr;

    bool cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
};

}  // namespace varkel
