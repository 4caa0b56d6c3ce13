#pragma once

#include "base/work_control.h"
#include "data/product.h"
#include "model/trade_model.h"
#include "robustness/scan.h"
#include "search/optimiser_grid.h"
#include "search/trial_selection.h"

#include <optional>
#include <vector>

namespace varkel {

// One combination's layered search on one history.
struct CombinationBuild {
    TradeModel model{};  // its chosen layers, no measures
    double real = 0.0;   // its last layer's rating (searchStartReturn when that layer kept no trial)
};

// Every combination's layered search on `history`, each giving the layers
// searchLayers gives for that combination alone, bit for bit: a layer's
// search depends only on the layers before it, so each base is searched once
// for every combination that starts with it, and each base and second layer
// once for all their third layers. The bases are searched one after another
// on `control`'s threads, the filter layers of each depth side by side, one
// per worker (a layer's search gives the same trial on any number of
// threads). Progress counts the layer searches done of all (in the
// control's stage). Nothing when cancelled.
std::optional<std::vector<CombinationBuild>> buildCombinations(const Product& history,
                                                               const std::vector<ScanCombination>& combinations,
                                                               TrialSelection selection, const BuildGrids& grids,
                                                               const WorkControl& control);

}  // namespace varkel
