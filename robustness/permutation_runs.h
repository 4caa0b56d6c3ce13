#pragma once

#include "data/product_registry.h"
#include "base/work_control.h"
#include "robustness/permuted_history.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace varkel {

// The chosen final return of each layer of one build (base, 2nd, 3rd); a
// layer not in use holds 0.
using LayerReturns = std::array<double, 3>;
// Which of the three layers a build has.
using LayersInUse = std::array<bool, 3>;

// The permutation indexes one machine runs: of k = 1 .. P, those with
// k mod count = number - 1. Shard 1/1 is the whole run.
struct PermutationShard {
    int number = 1;
    int count = 1;
    bool operator==(const PermutationShard&) const = default;
};

// How many of 1 .. permutations the shard holds, and its i-th (from 0) in ascending order.
std::int64_t shardSize(std::int64_t permutations, PermutationShard shard);
std::int64_t shardIndex(std::int64_t i, PermutationShard shard);

struct PermutationRow {
    std::int64_t index = 0;  // k
    LayerReturns returns{};
};

// One build on a history (the product under its own name in `history`, which
// it may change); nothing when it was cancelled. Called from worker threads,
// each call on its own history.
using PermutedBuild = std::function<std::optional<LayerReturns>(ProductRegistry& history)>;

// Work on permuted history k of a shard, the shard's i-th (from 0): false
// when it was cancelled. Called from worker threads, each call on its own
// history (the product under its own name, which the work may change).
using PermutedWork = std::function<bool(std::int64_t i, std::int64_t k, ProductRegistry& history)>;

// Runs `work` on permuted history k (seed `seed`) for every k of the shard of
// 1 .. permutations, spread over control's workers, one history per worker
// at a time; progress counts finished histories. False when cancelled.
bool forEachPermutedHistory(const Product& product, const HistoryMoves& moves, std::uint64_t seed,
                            std::int64_t permutations, PermutationShard shard, const WorkControl& control,
                            const PermutedWork& work);

// How the permuted builds of one product share the threads: `builds` runs
// one build per worker, `search` is each build's own. A search that keeps
// every trial (the plateau rule, about 50 MB for MACD) runs one build at a
// time with its search on the workers; otherwise as many builds at once as
// permutationMemoryBudget allows, each search on one thread. The same
// returns either way.
struct PermutedBuildThreads {
    WorkControl builds;
    WorkControl search;
};
PermutedBuildThreads permutedBuildThreads(const Product& product, bool searchKeepsTrials, const WorkControl& control);

// What the builds running at once may take, beside their results.
inline constexpr std::size_t permutationMemoryBudget = 128u * 1024 * 1024;

// Runs `build` on permuted history k (seed `seed`) for every k of the shard
// of 1 .. permutations, the builds spread over control's workers, one build
// per worker at a time. The rows come in index order whatever worker ran
// them; progress counts finished builds. Nothing when cancelled.
std::optional<std::vector<PermutationRow>> runPermutedBuilds(const Product& product, const HistoryMoves& moves,
                                                             std::uint64_t seed, std::int64_t permutations,
                                                             PermutationShard shard, const WorkControl& control,
                                                             const PermutedBuild& build);

}  // namespace varkel
