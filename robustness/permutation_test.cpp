#include "robustness/permutation_test.h"

#include "robustness/history_cut.h"
#include "search/layer_search.h"
#include "search/optimiser_control.h"

#include <algorithm>

namespace varkel {

std::optional<std::string> validatePermutationOptions(const PermutationTestOptions& options) {
    if (options.permutations < 1 || options.permutations > maxPermutations)
        return "The number of permutations must be from 1 to " + std::to_string(maxPermutations) + ", not " +
               std::to_string(options.permutations);
    const PermutationShard shard = options.shard;
    if (shard.count < 1 || shard.number < 1 || shard.number > shard.count || shard.count > options.permutations)
        return "A shard must be I/N with 1 <= I <= N <= " + std::to_string(options.permutations) +
               " (the number of permutations), not " + std::to_string(shard.number) + "/" + std::to_string(shard.count);
    return validateIndexChoice(options.build.choice);
}

std::optional<LayerReturns> permutedBuildReturns(ProductRegistry& history, std::string_view name,
                                                 const PermutationBuild& build, const WorkControl& work) {
    LayerSearchSettings settings;
    settings.threads = work.threads;
    settings.cancel = work.cancel;
    settings.grids = build.grids;
    const LayerSearchResult searched =
        searchLayers(*history.findProduct(name), build.choice, settings, LayerRating{std::nullopt, build.selection});
    if (searched.outcome == RunOutcome::Cancelled) return std::nullopt;
    // A layer whose search kept no trial rates as the value every trial had to beat.
    LayerReturns returns{};
    for (std::size_t k = 0; k < returns.size(); ++k)
        if (searched.layers[k]) returns[k] = searched.layers[k]->rating.value_or(searchStartReturn);
    return returns;
}

PermutationRun runPermutationTest(const ProductRegistry& registry, std::string_view name,
                                  const PermutationTestOptions& options) {
    PermutationRun run;
    auto refused = [&run](std::string why) {
        run.refuse(std::move(why));
        return run;
    };
    const Product* product = registry.findProduct(name);
    if (product == nullptr) return refused(noProductRefusal(name));
    std::optional<std::string> refusal = validatePermutationOptions(options);
    if (!refusal) refusal = validateHistoryLength(product->name, product->historyLength(), options.build.choice);
    if (refusal) return refused(*refusal);
    const std::optional<HistoryMoves> moves = historyMoves(*product);
    if (!moves) return refused(pricesNotAboveZeroMessage(product->name));
    for (int layer = 1; layer <= 3; ++layer)
        run.layers[static_cast<std::size_t>(layer - 1)] = options.build.choice.layerKinds()[static_cast<std::size_t>(layer - 1)] != StudyKind::NotInUse;

    const auto cancelled = [&run] {
        run.outcome = RunOutcome::Cancelled;
        run.rows.clear();
        return run;
    };
    // The real build on the history as its file gives it, like every permuted one.
    const PermutedBuildThreads threads =
        permutedBuildThreads(*product, options.build.selection == TrialSelection::plateau, options);
    ProductRegistry history = historyCutAt(*product, product->historyLength());
    WorkControl real = threads.search;
    real.threads = options.threads;
    const std::optional<LayerReturns> realReturns = permutedBuildReturns(history, product->name, options.build, real);
    if (!realReturns) return cancelled();
    run.real = *realReturns;

    const std::string productName = product->name;
    std::optional<std::vector<PermutationRow>> rows = runPermutedBuilds(
        *product, *moves, options.seed, options.permutations, options.shard, threads.builds,
        [&](ProductRegistry& permuted) { return permutedBuildReturns(permuted, productName, options.build, threads.search); });
    if (!rows) return cancelled();
    run.rows = std::move(*rows);
    run.outcome = RunOutcome::Done;
    return run;
}

}  // namespace varkel
