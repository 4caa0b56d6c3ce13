#pragma once

#include "data/product_registry.h"
#include "robustness/build_robustness.h"
#include "search/build_validation.h"
#include "search/layer_search.h"
#include "search/optimiser_grid.h"
#include "model/trade_model.h"
#include "robustness/pnl_blocks.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace varkel {

struct BuildOptions {
    int threads = 0;  // 0: one per core
    // Layer 1 (base), 2 or 3, and the work done of that layer's total: its
    // trials, then (with the robustness statistics) the scoring of them,
    // counted as a share of the trials. Called from worker threads, one call
    // at a time.
    std::function<void(int layer, std::int64_t done, std::int64_t total)> onProgress;
    // Called when a layer starts (layer 1 to 3) and when it has its result.
    std::function<void(int layer)> onLayerStarted;
    std::function<void(int layer, double bestReturn)> onLayerDone;
    const std::atomic<bool>* cancel = nullptr;
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

enum class BuildOutcome { Built, Refused, Cancelled, NoProduct };

struct BuildResult {
    BuildOutcome outcome = BuildOutcome::NoProduct;
    std::string refusal;            // the validation message when refused
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
