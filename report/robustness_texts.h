#pragma once

#include "robustness/build_robustness.h"

#include <string>
#include <vector>

namespace varkel {

// How the command line shows a build's robustness statistics, after the
// build's own lines: a heading, one line per layer (PBO with its S blocks and
// ways, median logit, probability of an out-of-sample loss, degradation
// slope), the built model's Sharpe ratios (per bar and annualised, SR0, DSR,
// PSR against 0) and the plain verdict. Figures that do not exist read "n/a".
// Empty when the statistics were not computed.
std::vector<std::string> robustnessLines(const BuildRobustness& robustness);

// One figure as the lines show it: "%.4f", "n/a" for one that does not exist (NaN).
std::string robustnessFigure(double value);

}  // namespace varkel
