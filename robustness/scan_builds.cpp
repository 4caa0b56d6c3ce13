#include "robustness/scan_builds.h"

#include "search/layer_search.h"
#include "search/optimiser_control.h"

#include <map>

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
    std::map<std::vector<StudyKind>, SearchedLayer> searched;
    LayerSearchSettings settings;
    settings.threads = control.threads;
    settings.cancel = control.cancel;
    settings.grids = grids;
    const LayerRating rating{std::nullopt, selection};
    std::vector<CombinationBuild> builds;
    builds.reserve(combinations.size());
    for (const ScanCombination& combination : combinations) {
        CombinationBuild build;
        for (int depth = 1; depth <= depthOf(combination); ++depth) {
            const std::vector<StudyKind> key = layerKinds(combination, depth);
            auto found = searched.find(key);
            if (found == searched.end()) {
                // The layers before this one were searched at the depths before.
                settings.knownBase.reset();
                settings.knownSecond.reset();
                if (depth >= 2) settings.knownBase = build.model.layers[0];
                if (depth >= 3) settings.knownSecond = build.model.layers[1];
                const LayerSearchResult result =
                    searchLayers(history, prefix(combination, depth).choice(), settings, rating);
                if (result.outcome != RunOutcome::Done) return std::nullopt;
                const std::optional<LayerChoice>& chosen = result.layers[static_cast<std::size_t>(depth - 1)];
                found = searched
                            .emplace(key, SearchedLayer{chosen->layer, chosen->rating.value_or(searchStartReturn)})
                            .first;
            }
            build.model.layers[static_cast<std::size_t>(depth - 1)] = found->second.layer;
            build.real = found->second.rating;
        }
        builds.push_back(build);
        control.reportProgress(static_cast<std::int64_t>(builds.size()), static_cast<std::int64_t>(combinations.size()));
    }
    return builds;
}

}  // namespace varkel
