#include "robustness/scan_builds.h"

#include "search/layer_search.h"
#include "search/optimiser_control.h"
#include "search/parallel_chunks.h"
#include "search/span_study_columns.h"

#include <map>
#include <mutex>
#include <set>

namespace varkel {

namespace {

// The kinds of a combination's first `depth` layers.
std::vector<StudyKind> layerKinds(const ScanCombination& combination, int depth) {
    const std::array<StudyKind, 3> kinds = combination.choice().layerKinds();
    return {kinds.begin(), kinds.begin() + depth};
}

int depthOf(const ScanCombination& combination) { return combination.third ? 3 : combination.second ? 2 : 1; }

// The combination of its first `depth` layers.
ScanCombination prefix(const ScanCombination& combination, int depth) {
    return {combination.base, depth >= 2 ? combination.second : std::nullopt,
            depth >= 3 ? combination.third : std::nullopt};
}

struct SearchedLayer {
    Layer layer;
    double rating = 0.0;
};

}  // namespace

std::optional<std::vector<CombinationBuild>> buildCombinations(const Product& history,
                                                               const std::vector<ScanCombination>& combinations,
                                                               TrialSelection selection, const BuildGrids& grids,
                                                               const WorkControl& control) {
    // The searches each depth needs, in the order the combinations first need them.
    std::array<std::vector<ScanCombination>, 3> pending;
    std::set<std::vector<StudyKind>> needed;
    for (int depth = 1; depth <= 3; ++depth)
        for (const ScanCombination& combination : combinations)
            if (depthOf(combination) >= depth && needed.insert(layerKinds(combination, depth)).second)
                pending[static_cast<std::size_t>(depth - 1)].push_back(prefix(combination, depth));
    const auto total = static_cast<std::int64_t>(needed.size());
    std::int64_t done = 0;
    std::mutex progress;

    std::map<std::vector<StudyKind>, SearchedLayer> searched;
    const LayerRating rating{std::nullopt, selection};
    // Every search of this history reads the same one-span study columns.
    const SpanStudyColumns spanStudies(history);
    // The last layer of `combination` on top of its earlier layers, searched before it.
    const auto searchLast = [&](const ScanCombination& combination, int threads) -> std::optional<SearchedLayer> {
        const int depth = depthOf(combination);
        LayerSearchSettings settings;
        settings.threads = threads;
        settings.cancel = control.cancel;
        settings.grids = grids;
        settings.spanStudies = &spanStudies;
        if (depth >= 2) settings.knownBase = searched.at(layerKinds(combination, 1)).layer;
        if (depth >= 3) settings.knownSecond = searched.at(layerKinds(combination, 2)).layer;
        const LayerSearchResult result = searchLayers(history, combination.choice(), settings, rating);
        if (result.outcome != RunOutcome::Done) return std::nullopt;
        const std::optional<LayerChoice>& chosen = result.layers[static_cast<std::size_t>(depth - 1)];
        const std::lock_guard<std::mutex> lock(progress);
        control.reportProgress(++done, total);
        return SearchedLayer{chosen->layer, chosen->rating.value_or(searchStartReturn)};
    };
    for (const std::vector<ScanCombination>& searches : pending) {
        std::vector<std::optional<SearchedLayer>> found(searches.size());
        const auto count = static_cast<int>(searches.size());
        const int workers = workerCountFor(control, count);
        if (&searches == &pending[0] || workers == 1) {
            // The bases are the big searches: one after another, each on every worker.
            for (std::size_t i = 0; i < searches.size(); ++i)
                if (!(found[i] = searchLast(searches[i], control.threads))) return std::nullopt;
        } else {
            // A filter's search is small: many side by side, each on one thread.
            const bool finished = runChunks(count, workers, control.cancel, [&](int i, int) {
                found[static_cast<std::size_t>(i)] = searchLast(searches[static_cast<std::size_t>(i)], 1);
            });
            if (!finished) return std::nullopt;
        }
        for (std::size_t i = 0; i < searches.size(); ++i) {
            if (!found[i]) return std::nullopt;
            searched.emplace(layerKinds(searches[i], depthOf(searches[i])), *found[i]);
        }
    }

    std::vector<CombinationBuild> builds;
    builds.reserve(combinations.size());
    for (const ScanCombination& combination : combinations) {
        CombinationBuild& build = builds.emplace_back();
        for (int depth = 1; depth <= depthOf(combination); ++depth) {
            const SearchedLayer& layer = searched.at(layerKinds(combination, depth));
            build.model.layers[static_cast<std::size_t>(depth - 1)] = layer.layer;
            build.real = layer.rating;
        }
    }
    return builds;
}

}  // namespace varkel
