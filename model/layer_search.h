#pragma once

#include "data/product_registry.h"
#include "model/optimiser_control.h"
#include "model/optimiser_grid.h"
#include "model/optimisers.h"
#include "model/trial_ledger.h"
#include "robustness/parameter_surface.h"
#include "studies/study_kind.h"

#include <string>

namespace varkel {

// How a layer picks its trial from the grid it searched.
enum class TrialSelection {
    best,     // the first trial in grid order with strictly the best final return
    plateau,  // the trial whose grid neighbourhood (one step in each parameter) has the best mean return
};

// A layer's trials as a parameter surface: the study's builder parameter
// names (its spans, then a real-valued setting when it has one) and, per
// ledger row in grid order, their values and the trial's final return.
ParameterSurface ledgerSurface(const TrialLedger& ledger, StudyKind kind);

// Rebuilds one trial of a layer into the named product's bars with the apply
// operations: a base index's rule, or a filter on the positions the bars hold.
void applyTrial(ProductRegistry& registry, const std::string& name, StudyKind kind, bool asFilter,
                const TrialParameters& trial);

// Searches one layer of a build over `grids`: a base index (asFilter false)
// or a filter on the positions the bars hold now. The trial `selection`
// chooses is left built into the bars, as on the bars the layer started from,
// and the result names it with its own final return. `best` is the optimiser
// itself. `plateau` needs every trial's return: the search records into
// control.ledger when one is given, into a ledger of its own otherwise.
// A cancelled search leaves the bars as they were.
OptimiserResult searchLayer(ProductRegistry& registry, const std::string& name, StudyKind kind, bool asFilter,
                            const OptimiserControl& control, const BuildGrids& grids, TrialSelection selection);

}  // namespace varkel
