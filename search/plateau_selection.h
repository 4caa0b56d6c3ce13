#pragma once

#include "search/parameter_surface.h"

#include <cstdint>
#include <vector>

namespace varkel {

// Each trial's step index in every parameter: the rank of its value among the
// distinct values that parameter takes over the surface (trial-major, like
// the values). Grid values are built the same way for every trial, so equal
// steps have equal values and neighbouring steps are one grid step apart,
// even where a range depends on another parameter (MACD slow spans start at
// fast + 1) or trials were skipped.
std::vector<int> gridSteps(const ParameterSurface& surface);

struct PlateauChoice {
    std::int64_t trial = -1;   // -1 when there are no trials
    double meanReturn = 0.0;   // of the trial's neighbourhood
    int neighbourhoodSize = 0; // trials in it, the trial itself included
};

// The trial whose neighbourhood has the best mean return; the first in grid
// order on ties. A trial's neighbourhood is itself and every tried trial at
// most one step away in each parameter (up to 3^d trials); its returns are
// added in grid order. `steps` holds `parameterCount` step indices per trial.
PlateauChoice selectPlateau(const int* steps, int parameterCount, const double* returns, std::int64_t trialCount);

// The same on a surface, with the steps from gridSteps.
PlateauChoice selectPlateau(const ParameterSurface& surface);

}  // namespace varkel
