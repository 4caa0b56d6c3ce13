#pragma once

#include "data/product_registry.h"
#include "model/layer.h"
#include "search/optimiser_control.h"
#include "search/optimiser_grid.h"
#include "search/optimisers.h"

#include <array>
#include <string_view>

namespace varkel {

// What the searches, the saved model and the viewer do for one study a model
// can hold, in one row, so that a new study is one row more and a kind
// without a row can never run another kind's code. Where a kind may stand
// (base, filter) is the study catalogue's.
struct SearchKind {
    StudyKind kind;
    // The grid of `grids` a layer of this kind searches.
    StudyGrid (*grid)(const BuildGrids& grids);
    // The grid search of the kind (optimisers.h); asFilter: over the
    // positions the bars hold, for the kinds that can be either.
    OptimiserResult (*optimise)(ProductRegistry& registry, std::string_view name, bool asFilter,
                                const OptimiserControl& control, const BuildGrids& grids);
    // Builds a layer of the kind into the bars with the apply operations.
    void (*apply)(ProductRegistry& registry, std::string_view name, const LayerParameters& p, bool asFilter);
    // The performance viewer's parameter lines 1 to 4: lines 1 to 3 print
    // spans 1 to 3 (%d), line 4 the setting; nullptr leaves a line empty.
    std::array<const char*, 4> viewerLines;
};

// The row of `kind`; nullptr for a kind no model is built from (RSI, moving
// averages, "not in use", a number that names no study).
const SearchKind* findSearchKind(StudyKind kind);

// The row of `kind` where the study catalogue lets it stand as the base
// (asFilter false) or as a filter; nullptr where it may not stand there.
const SearchKind* findSearchKind(StudyKind kind, bool asFilter);

}  // namespace varkel
