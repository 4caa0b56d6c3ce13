#include "search/layer_search.h"

#include "data/product_registry.h"
#include "search/saved_model.h"
#include "search/span_study_columns.h"
#include "search/search_kinds.h"
#include "search/plateau_selection.h"

#include <string>

namespace varkel {

namespace {

// One layer searched on `work`, whose bars hold the positions of the layers
// before it; what the bars hold afterwards is left unspecified.
std::optional<LayerChoice> searchOneLayer(ProductRegistry& work, std::string_view name, int layer, StudyKind kind,
                                          const LayerSearchSettings& settings, const LayerRating& rating,
                                          const SpanStudyColumns* spanStudies) {
    OptimiserControl control{settings.startStage(layer)};
    control.spanStudies = spanStudies;
    const auto& asked = settings.ledgerWindows[static_cast<std::size_t>(layer - 1)];
    const bool needsLedger = asked || rating.window || rating.selection == TrialSelection::plateau;
    std::vector<BarWindow> windows = asked.value_or(std::vector<BarWindow>{});
    const int ratingWindow = static_cast<int>(windows.size());
    if (rating.window) windows.push_back(*rating.window);

    LayerChoice choice;
    if (needsLedger) control.ledger = &choice.ledger.emplace(std::move(windows), layer == 1 && settings.baseSumsOfSquares);
    const OptimiserResult best = findSearchKind(kind)->optimise(work, name, layer > 1, control, settings.grids);
    if (best.cancelled) return std::nullopt;

    // The optimiser's own choice: the first strictly best final return.
    std::optional<LayerParameters> chosen = best.chosen;
    choice.rating = chosen ? std::optional<double>(best.bestReturn) : std::nullopt;
    const TrialLedger* ledger = choice.ledger ? &*choice.ledger : nullptr;
    if (rating.window) {
        const std::optional<std::size_t> row = TrialSelector(*ledger, kind, rating.selection).select(ratingWindow);
        chosen = row ? std::optional(ledger->parameters(*row)) : std::nullopt;
        choice.rating = row ? std::optional(ledger->windowSum(*row, ratingWindow)) : std::nullopt;
    } else if (rating.selection == TrialSelection::plateau && ledger->complete() && ledger->rowCount() > 0) {
        const PlateauChoice plateau = selectPlateau(ledgerSurface(*ledger, kind));
        const auto row = static_cast<std::size_t>(plateau.trial);
        chosen = ledger->parameters(row);
        choice.rating = ledger->finalReturn(row);
    }
    choice.layer = chosenLayer(kind, chosen);
    if (!asked) choice.ledger.reset();
    return choice;
}

ProductRegistry ownCopy(const Product& history) {
    ProductRegistry registry;
    *registry.addProduct(history.name) = history;
    registry.currentPriceScale = history.priceScale;
    return registry;
}

}  // namespace

LayerSearchResult searchLayers(const Product& history, const IndexChoice& choice, const LayerSearchSettings& settings,
                               const LayerRating& rating) {
    LayerSearchResult result;
    if (auto refusal = validateIndexChoice(choice)) {
        result.refuse(std::move(*refusal));
        return result;
    }
    ProductRegistry work = ownCopy(history);
    const std::string& name = history.name;
    const std::array<StudyKind, 3> kinds = choice.layerKinds();
    const SpanStudyColumns* spanStudies =
        settings.spanStudies != nullptr && settings.spanStudies->madeFrom(history) ? settings.spanStudies : nullptr;
    int firstSearched = 1;
    if (settings.knownBase) {
        result.model.layers[0] = *settings.knownBase;
        firstSearched = 2;
        if (settings.knownSecond) {
            result.model.layers[1] = *settings.knownSecond;
            firstSearched = 3;
        }
    }
    for (int layer = firstSearched; layer <= 3; ++layer) {
        const StudyKind kind = kinds[static_cast<std::size_t>(layer - 1)];
        if (kind == StudyKind::NotInUse) continue;
        // A filter searches over the positions of the layers chosen before it, built afresh.
        if (layer > 1) applySavedModel(work, name, result.model);
        std::optional<LayerChoice> chosen = searchOneLayer(work, name, layer, kind, settings, rating, spanStudies);
        if (!chosen || (settings.onLayerSearched && !settings.onLayerSearched(layer, *chosen))) {
            LayerSearchResult cancelled;
            cancelled.outcome = RunOutcome::Cancelled;
            return cancelled;
        }
        result.model.layers[static_cast<std::size_t>(layer - 1)] = chosen->layer;
        result.layers[static_cast<std::size_t>(layer - 1)] = std::move(chosen);
    }
    result.outcome = RunOutcome::Done;
    return result;
}

}  // namespace varkel
