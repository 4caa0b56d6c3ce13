#pragma once

#include "data/product_registry.h"
#include "model/build_validation.h"
#include "model/optimiser_control.h"
#include "model/optimiser_grid.h"
#include "model/trade_model.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace varkel {

struct BuildOptions {
    int threads = 0;  // 0: one per core
    // Layer 1 (base), 2 or 3, and the trials done of that layer's total.
    // Called from worker threads, one call at a time.
    std::function<void(int layer, std::int64_t done, std::int64_t total)> onProgress;
    // Called when a layer starts (layer 1 to 3) and when it has its result.
    std::function<void(int layer)> onLayerStarted;
    std::function<void(int layer, double bestReturn)> onLayerDone;
    const std::atomic<bool>* cancel = nullptr;
    BuildGrids grids{};
};

enum class BuildOutcome { Built, Refused, Cancelled, NoProduct };

struct BuildResult {
    BuildOutcome outcome = BuildOutcome::NoProduct;
    std::string refusal;            // the validation message when refused
    TradeModel model{};             // the built model with its measures
    // The best final return of each layer that ran.
    std::array<std::optional<double>, 3> layerReturns{};
    std::string modelPath;          // where the model was saved
    bool saved = false;             // false when the model file could not be written
};

// Builds the trade model of `productName` for the chosen indexes: validates
// the choice, optimises the base layer and then each filter layer on top of
// the layers before it, rebuilds the best model into the bars, back-tests and
// measures it, and saves it as <startDirectory>/<fileStem>.pfm. A cancelled
// build leaves the bars as they were and writes no file.
BuildResult buildStrategy(ProductRegistry& registry, const std::string& productName, const IndexChoice& choice,
                          const std::string& startDirectory, const BuildOptions& options = {});

}  // namespace varkel
