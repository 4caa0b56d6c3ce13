#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace varkel {

// How long work on worker threads runs: on how many threads (0: one per
// core), whom it tells about progress and in which stage, and what it watches
// for a request to stop. Every options struct of a run derives from it, and a
// flow hands each part of its work a copy at that part's stage.
struct WorkControl {
    int threads = 0;
    // The part of the work the progress counts: a build's layer (1 .. 3), a
    // walk-forward's WalkForwardStage; 0 for work of one part.
    int stage = 0;
    // Work done of the stage's total. Called from worker threads, one call at
    // a time; keep it cheap.
    std::function<void(int stage, std::int64_t done, std::int64_t total)> onProgress;
    // Called on the calling thread when a stage starts.
    std::function<void(int stage)> onStageStarted;
    // Checked between pieces of work; when it becomes true the work stops
    // early and reports itself cancelled.
    const std::atomic<bool>* cancel = nullptr;

    bool cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
    void reportProgress(std::int64_t done, std::int64_t total) const {
        if (onProgress) onProgress(stage, done, total);
    }
    // This control for the part of the work at `partStage`: the same threads,
    // cancel and listeners, reporting that stage.
    WorkControl atStage(int partStage) const;
    // The same, after telling onStageStarted that the stage starts.
    WorkControl startStage(int partStage) const;
};

// The most threads work may be asked for: four per core.
int maxWorkerThreads();

// The workers work of `itemCount` items runs on: what the control asks for
// (one per core when it asks for none), never more than maxWorkerThreads() nor
// than there are items, and at least 1. Per-worker scratch is sized by it.
int workerCountFor(const WorkControl& control, int itemCount);

}  // namespace varkel
