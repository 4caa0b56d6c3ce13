#pragma once

#include "base/run_outcome.h"
#include "base/work_control.h"
#include "data/product_registry.h"
#include "robustness/build_robustness.h"
#include "search/build_validation.h"
#include "search/layer_search.h"
#include "search/optimiser_grid.h"
#include "model/trade_model.h"
#include "robustness/pnl_blocks.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace varkel {

// The run control's stages are the layers (1 .. 3); a layer's progress counts
// its trials, then (with the robustness statistics) the scoring of them,
// counted as a share of the trials.
struct BuildOptions : WorkControl {
    // Called when a layer has its result, with the final return of its trial.
    std::function<void(int layer, double bestReturn)> onLayerDone;
    BuildGrids grids{};
    // The overfitting statistics of BuildResult::robustness; switched off,
    // the build does what it did before they existed.
    bool robustness = true;
    // S: how many blocks of P&L bars the statistics cut the history into (even, 4 .. 16).
    int pnlBlockCount = defaultPnlBlocks;
    // Which trial every layer keeps; `best` is the classic builder.
    TrialSelection selection = TrialSelection::best;
    // False: the model file is left alone and the caller saves the model
    // (the builder's window does when the user says so); modelPath is set.
    bool saveModel = true;
};

// Options the build can never accept (a block count the statistics refuse),
// named with the rule they break; checked before any work starts by the build
// itself and by every front end that fills the options.
std::optional<std::string> validateBuildOptions(const BuildOptions& options);

struct BuildResult : RunEnd {
    TradeModel model{};             // the built model with its measures
    // The final return of the trial each layer that ran kept.
    std::array<std::optional<double>, 3> layerReturns{};
    // Empty (computed false) when the options switched the statistics off.
    BuildRobustness robustness;
};

// Builds the trade model of `productName` for the chosen indexes: validates
// the choice and the options (validateBuildOptions) and refuses a history
// shorter than its studies need, searches the layers (searchLayers, keeping
// each layer's trial by options.selection), rebuilds the model, back-tests and
// measures it. The work runs on copies: the product's studies stay as they
// were, and only the model's positions and P&L (copyTradeColumns) come back
// into its bars. With options.robustness every layer's search also keeps its
// trials' block sums for the layer's PBO, and the built model's daily P&L gets
// its deflated Sharpe ratio; the model and the layer returns are the same
// either way. A cancelled build (during a search or its scoring) changes no
// bar. Nothing is written: saving the model (performanceFilePath,
// saveTradeModel) and whether an existing file may be replaced are the
// caller's.
BuildResult buildStrategy(ProductRegistry& registry, const std::string& productName, const IndexChoice& choice,
                          const BuildOptions& options = {});

}  // namespace varkel
