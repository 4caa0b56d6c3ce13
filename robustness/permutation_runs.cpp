#include "robustness/permutation_runs.h"

#include "search/parallel_chunks.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace varkel {

namespace {

// The shard's smallest index: number - 1, or count itself for shard 1 (k = 0 is not a permutation).
std::int64_t firstIndex(PermutationShard shard) { return shard.number == 1 ? shard.count : shard.number - 1; }

// How many builds on the product's history fit into the memory budget at
// once: each holds a permuted history and the search's copy of it, study
// columns and scratch, counted generously as four histories.
int buildsWithinBudget(const Product& product) {
    const std::size_t perBuild = 4 * static_cast<std::size_t>(product.barCount()) * sizeof(Bar);
    return static_cast<int>(std::max<std::size_t>(1, permutationMemoryBudget / std::max<std::size_t>(perBuild, 1)));
}

}  // namespace

std::int64_t shardSize(std::int64_t permutations, PermutationShard shard) {
    const std::int64_t first = firstIndex(shard);
    return permutations < first ? 0 : (permutations - first) / shard.count + 1;
}

std::int64_t shardIndex(std::int64_t i, PermutationShard shard) { return firstIndex(shard) + i * shard.count; }

bool forEachPermutedHistory(const Product& product, const HistoryMoves& moves, std::uint64_t seed,
                            std::int64_t permutations, PermutationShard shard, const WorkControl& control,
                            const PermutedWork& work) {
    const std::int64_t total = shardSize(permutations, shard);
    std::atomic<bool> stopped{false};
    std::int64_t done = 0;
    std::mutex progress;
    // One permuted history a chunk; the permutation caps keep the count an int.
    const int count = static_cast<int>(total);
    const bool finished = runChunks(count, workerCountFor(control, std::min(count, 1 << 20)), control.cancel,
                                    [&](int i, int) {
                                        if (stopped.load()) return;
                                        const std::int64_t k = shardIndex(i, shard);
                                        ProductRegistry history =
                                            permutedHistory(product, moves, seed, static_cast<std::uint64_t>(k));
                                        if (!work(i, k, history)) {
                                            stopped = true;
                                            return;
                                        }
                                        if (control.onProgress) {
                                            const std::lock_guard<std::mutex> lock(progress);
                                            control.reportProgress(++done, total);
                                        }
                                    });
    return finished && !stopped;
}

PermutedBuildThreads permutedBuildThreads(const Product& product, bool searchKeepsTrials, const WorkControl& control) {
    PermutedBuildThreads threads{control, {}};
    threads.search.threads = control.threads;
    threads.search.cancel = control.cancel;  // its progress is the builds'
    if (searchKeepsTrials) {
        threads.builds.threads = 1;
    } else {
        threads.builds.threads = std::min(workerCountFor(control, maxWorkerThreads()), buildsWithinBudget(product));
        threads.search.threads = 1;
    }
    return threads;
}

std::optional<std::vector<PermutationRow>> runPermutedBuilds(const Product& product, const HistoryMoves& moves,
                                                             std::uint64_t seed, std::int64_t permutations,
                                                             PermutationShard shard, const WorkControl& control,
                                                             const PermutedBuild& build) {
    std::vector<PermutationRow> rows(static_cast<std::size_t>(shardSize(permutations, shard)));
    const bool finished = forEachPermutedHistory(product, moves, seed, permutations, shard, control,
                                                 [&](std::int64_t i, std::int64_t k, ProductRegistry& history) {
                                                     const std::optional<LayerReturns> returns = build(history);
                                                     if (!returns) return false;
                                                     rows[static_cast<std::size_t>(i)] = {k, *returns};
                                                     return true;
                                                 });
    if (!finished) return std::nullopt;
    return rows;
}

}  // namespace varkel
