#pragma once

#include "data/product.h"
#include "robustness/walk_forward.h"

#include <string>

namespace varkel::cli {

// The walk-forward report as a readable table with its totals.
std::string walkForwardTable(const WalkForwardReport& report, const Product& product, const FoldSettings& settings,
                             TrialSelection selection = TrialSelection::best);

}  // namespace varkel::cli
