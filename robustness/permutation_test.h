#pragma once

#include "base/run_outcome.h"
#include "base/work_control.h"
#include "data/product_registry.h"
#include "search/build_validation.h"
#include "search/optimiser_grid.h"
#include "search/trial_selection.h"
#include "robustness/permutation_runs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// The build every history of a permutation test gets: the builder's layered
// search with its index choice, grids and trial selection (no robustness
// statistics, no model file).
struct PermutationBuild {
    IndexChoice choice{};
    TrialSelection selection = TrialSelection::best;
    BuildGrids grids{};
};

// The most permutations one run takes: their rows stay in memory (32 bytes each).
inline constexpr std::int64_t maxPermutations = 1000000;
inline constexpr std::int64_t defaultPermutations = 200;
inline constexpr std::uint64_t defaultPermutationSeed = 1;

// The run control counts the permuted builds finished of the shard's, in stage 0.
struct PermutationTestOptions : WorkControl {
    PermutationBuild build{};
    std::int64_t permutations = defaultPermutations;  // P
    std::uint64_t seed = defaultPermutationSeed;      // s
    PermutationShard shard{};
};

// The message that refuses the options (P out of 1 .. maxPermutations, a
// shard that is not I/N with 1 <= I <= N <= P, an index choice the builder
// refuses), or nothing.
std::optional<std::string> validatePermutationOptions(const PermutationTestOptions& options);

struct PermutationRun : RunEnd {
    LayersInUse layers{};  // base, 2nd, 3rd
    LayerReturns real{};   // R of each layer: the build on the history itself
    std::vector<PermutationRow> rows;  // the shard's R_k in index order
};

// The chosen final return of each layer of `build` on the product `name` of
// `history` (whose bars the search changes), each layer searched over the
// positions of the layers before it on the control's threads (the same
// returns on any number); nothing when cancelled. The one place a
// permutation test runs the builder's search.
std::optional<LayerReturns> permutedBuildReturns(ProductRegistry& history, std::string_view name,
                                                 const PermutationBuild& build, const WorkControl& control);

// The permutation test of a build on the named product: the build on its
// history (R) and on each permuted history k of the options' shard (R_k).
// The permuted builds run one per worker, as many at once as
// permutationMemoryBudget allows; with the plateau rule, whose layers keep
// every trial's return (about 50 MB for MACD), one at a time with their
// searches on the workers, so that memory stays within the budget at any
// thread count.
// Refused for invalid options, a history shorter than the build needs, or a
// price not above zero. The registry is not touched; a cancelled run keeps nothing.
PermutationRun runPermutationTest(const ProductRegistry& registry, std::string_view name,
                                  const PermutationTestOptions& options);

}  // namespace varkel
