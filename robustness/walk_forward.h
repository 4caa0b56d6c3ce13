#pragma once

#include "base/run_outcome.h"
#include "base/work_control.h"
#include "data/product_registry.h"
#include "search/build_validation.h"
#include "search/optimiser_grid.h"
#include "model/trade_model.h"
#include "search/trial_selection.h"
#include "robustness/walk_forward_folds.h"
#include "robustness/walk_forward_summary.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

enum class WalkForwardStage {
    BaseSearch,  // the base layer's search over the whole history, in trials
    FoldBuilds,  // the filter layers and the test of each fold, in folds
};

// The run control's stages are the WalkForwardStages.
struct WalkForwardOptions : WorkControl {
    FoldSettings folds{};
    // How each fold picks its trial from a layer's train-window sums, and the
    // whole-history build beside them from its final returns.
    TrialSelection selection = TrialSelection::best;
    BuildGrids grids{};
};

// Fold settings no history can accept (a train or test length too short),
// in words, or nothing; checked by the walk-forward itself and by every
// front end that fills the options.
std::optional<std::string> validateWalkForwardOptions(const WalkForwardOptions& options);

// Refused besides for an unknown product, a choice validateIndexChoice refuses
// and the options: a history no longer than the train length, and one whose
// base layer's train-window sums of all folds would take more than
// TrialLedger::maxBytes.
struct WalkForwardReport : RunEnd {
    std::vector<FoldResult> folds;
    // The stitched out-of-sample daily P&L: every test window's bars in date order.
    std::vector<double> outOfSampleDaily;
    WalkForwardTotals totals{};
    // A normal build on the whole history, and what it earns over the bars
    // every fold tests, [s_0, N): an in-sample figure, for comparison.
    TradeModel wholeHistoryModel{};
    double wholeHistoryTestReturn = 0.0;
    // Its daily P&L over those bars, one per bar of outOfSampleDaily.
    std::vector<double> wholeHistoryDaily;
};

// Walks the builder forward through the history: each fold runs the whole
// layered search with the builder's grids and rules, but rates a trial by the
// sum of its daily P&L over the fold's train window only (positions come from
// studies computed on the bars up to each day, so nothing after the window can
// influence the choice; a trial whose study cannot be computed on the bars
// before the test window is skipped). The chosen model is then applied as the
// daily signal applies it and its daily P&L summed over the test window.
// Works on copies; the registry's bars are not touched.
WalkForwardReport runWalkForward(const ProductRegistry& registry, std::string_view name, const IndexChoice& choice,
                                 const WalkForwardOptions& options = {});

}  // namespace varkel
