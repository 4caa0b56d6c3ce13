#pragma once

#include "data/product_registry.h"
#include "search/optimiser_control.h"
#include "search/optimiser_grid.h"
#include "search/optimisers.h"
#include "model/trade_model.h"
#include "search/trial_ledger.h"
#include "search/trial_selection.h"
#include "search/parameter_surface.h"
#include "studies/study_kind.h"

#include <string_view>

namespace varkel {

// Rebuilds one trial of a layer into the named product's bars with the apply
// operations: a base index's rule, or a filter on the positions the bars hold.
void applyTrial(ProductRegistry& registry, std::string_view name, StudyKind kind, bool asFilter,
                const TrialParameters& trial);

// Searches one layer of a build over `grids`: a base index (asFilter false)
// or a filter on the positions the bars hold now. The trial `selection`
// chooses is left built into the bars, as on the bars the layer started from,
// and the result names it with its own final return. `best` is the optimiser
// itself. `plateau` needs every trial's return: the search records into
// control.ledger when one is given, into a ledger of its own otherwise.
// A cancelled search leaves the bars as they were.
OptimiserResult searchLayer(ProductRegistry& registry, std::string_view name, StudyKind kind, bool asFilter,
                            const OptimiserControl& control, const BuildGrids& grids, TrialSelection selection);

// Puts a layer's chosen trial into the model as the builder stores it.
void storeLayer(TradeModel& model, int layer, StudyKind kind, const TrialParameters& chosen);

TrialParameters parametersOf(const OptimiserResult& result);

// The longest span any trial of the base kind's grid reads. Whether a trial
// can be computed depends on the history only through spans no longer than
// this, so on every history longer than it the same trials are tried.
int longestBaseSpan(StudyKind kind, const BuildGrids& grids);

}  // namespace varkel
