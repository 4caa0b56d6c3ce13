#pragma once

#include "base/run_outcome.h"
#include "base/work_control.h"
#include "data/product.h"
#include "model/layer.h"
#include "model/trade_model.h"
#include "search/build_validation.h"
#include "search/optimiser_grid.h"
#include "search/trial_ledger.h"
#include "search/trial_selection.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varkel {

class SpanStudyColumns;

// How searchLayers rates each trial of a layer, and which trial it keeps by
// that rating.
struct LayerRating {
    // Nothing: the trial's final return over the whole history. A window: the
    // sum of its daily P&L over those bars only (a walk-forward fold's train
    // window), each trial back-tested on the whole history it is given.
    std::optional<BarWindow> window;
    TrialSelection selection = TrialSelection::best;
};

// What a layer kept.
struct LayerChoice {
    Layer layer;                        // as a model stores it
    std::optional<double> rating;       // the kept trial's rating; nothing when no trial qualified
    std::optional<TrialLedger> ledger;  // every trial, when the settings asked for it
};

// The run control's stages are the layers (1 .. 3): each searched layer
// starts its stage and reports its trials done of its total.
struct LayerSearchSettings : WorkControl {
    BuildGrids grids{};
    // The bar windows whose sums layer k's ledger keeps for the caller (the
    // PBO's blocks, a walk-forward's train windows); nothing: no ledger is kept
    // for the caller. The base layer's ledger may keep the sums of squares too.
    std::array<std::optional<std::vector<BarWindow>>, 3> ledgerWindows{};
    bool baseSumsOfSquares = false;
    // A base layer chosen elsewhere: it is not searched, the filters search on top of it.
    std::optional<Layer> knownBase;
    // With a known base, a second layer chosen elsewhere too: only the third is searched.
    std::optional<Layer> knownSecond;
    // The one-span study columns of the history searched, shared with other
    // searches of it; columns made from any other object are not used.
    const SpanStudyColumns* spanStudies = nullptr;
    // After each searched layer, with its choice; false stops the search, which then reports itself cancelled.
    std::function<bool(int layer, const LayerChoice& choice)> onLayerSearched;
};

// Refused: the choice cannot be searched (validateIndexChoice's message);
// nothing was searched. Cancelled: no layers.
struct LayerSearchResult : RunEnd {
    // Per layer 1 .. 3 what it kept; nothing for an index not in use or a known layer.
    std::array<std::optional<LayerChoice>, 3> layers{};
    TradeModel model{};  // the chosen layers (known ones included), no measures yet
};

// The layered search of the builder, the walk-forward and the permutation
// test: for a valid `choice` (validateIndexChoice), searches the base layer
// and then each filter layer on the positions of the layers chosen before it,
// over the settings' grids, keeping in every layer the trial `rating` picks.
// Any other choice is refused with validateIndexChoice's message.
// Works on a copy of `history` of its own; `history` is not touched, and
// nothing of the search stays anywhere. A cancelled search returns cancelled
// with no layers.
LayerSearchResult searchLayers(const Product& history, const IndexChoice& choice, const LayerSearchSettings& settings,
                               const LayerRating& rating = {});

}  // namespace varkel
