#pragma once

#include "robustness/permutation_runs.h"
#include "robustness/permutation_statistics.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace varkel {

// The result of a permutation test: P, the seed, and for each layer in use
// how its real return stands among the permuted builds' returns. The whole
// build is its last layer: a filter's return is the model's with every layer
// before it.
struct PermutationReport {
    std::int64_t permutations = 0;
    std::uint64_t seed = 0;
    std::array<std::optional<PermutationSummary>, 3> layers{};

    const PermutationSummary& wholeBuild() const;
};

// `rows` cover k = 1 .. P in index order.
PermutationReport summarisePermutationRun(const LayersInUse& layers, const LayerReturns& real,
                                          const std::vector<PermutationRow>& rows, std::uint64_t seed);

}  // namespace varkel
