#include "robustness/permutation_runs.h"

#include "search/parallel_chunks.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace varkel {

namespace {

// The shard's smallest index: number - 1, or count itself for shard 1 (k = 0 is not a permutation).
std::int64_t firstIndex(PermutationShard shard) { return shard.number == 1 ? shard.count : shard.number - 1; }

}  // namespace

std::int64_t shardSize(std::int64_t permutations, PermutationShard shard) {
    const std::int64_t first = firstIndex(shard);
    return permutations < first ? 0 : (permutations - first) / shard.count + 1;
}

std::int64_t shardIndex(std::int64_t i, PermutationShard shard) { return firstIndex(shard) + i * shard.count; }

std::optional<std::vector<PermutationRow>> runPermutedBuilds(const Product& product, const HistoryMoves& moves,
                                                             std::uint64_t seed, std::int64_t permutations,
                                                             PermutationShard shard, const WorkControl& control,
                                                             const PermutedBuild& build) {
    const std::int64_t total = shardSize(permutations, shard);
    std::vector<PermutationRow> rows(static_cast<std::size_t>(total));
    std::atomic<bool> stopped{false};
    std::int64_t done = 0;
    std::mutex progress;
    // One permuted history a chunk; maxPermutations keeps the count an int.
    const int count = static_cast<int>(total);
    const bool finished = runChunks(count, workerCountFor(control, std::min(count, 1 << 20)), control.cancel,
                                    [&](int i, int) {
                                        if (stopped.load()) return;
                                        const std::int64_t k = shardIndex(i, shard);
                                        ProductRegistry history =
                                            permutedHistory(product, moves, seed, static_cast<std::uint64_t>(k));
                                        const std::optional<LayerReturns> returns = build(history);
                                        if (!returns) {
                                            stopped = true;
                                            return;
                                        }
                                        rows[static_cast<std::size_t>(i)] = {k, *returns};
                                        if (control.onProgress) {
                                            const std::lock_guard<std::mutex> lock(progress);
                                            control.reportProgress(++done, total);
                                        }
                                    });
    if (!finished || stopped) return std::nullopt;
    return rows;
}

}  // namespace varkel
