#include "robustness/permutation_runs.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

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
    std::atomic<std::int64_t> next{0};
    std::atomic<bool> stopped{false};
    std::int64_t done = 0;
    std::mutex progress;
    auto work = [&] {
        for (;;) {
            if (stopped.load() || control.cancelled()) {
                stopped = true;
                return;
            }
            const std::int64_t i = next.fetch_add(1);
            if (i >= total) return;
            const std::int64_t k = shardIndex(i, shard);
            ProductRegistry history = permutedHistory(product, moves, seed, static_cast<std::uint64_t>(k));
            const std::optional<LayerReturns> returns = build(history);
            if (!returns) {
                stopped = true;
                return;
            }
            rows[static_cast<std::size_t>(i)] = {k, *returns};
            if (control.onProgress) {
                const std::lock_guard<std::mutex> lock(progress);
                control.onProgress(++done, total);
            }
        }
    };
    const int workers = workerCountFor(control, static_cast<int>(std::min<std::int64_t>(total, 1 << 20)));
    std::vector<std::thread> pool;
    for (int worker = 1; worker < workers; ++worker) pool.emplace_back(work);
    work();
    for (std::thread& thread : pool) thread.join();
    if (stopped) return std::nullopt;
    return rows;
}

}  // namespace varkel
