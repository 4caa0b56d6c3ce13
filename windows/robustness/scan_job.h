#pragma once

#include "data/product_registry.h"
#include "robustness/scan.h"

#include <string>
#include <vector>

// What the Scan window's background job scans: its own copies of the
// histories (never the views' live bars), and the price files they came
// from, whose flagged bars the rows' shares are counted on.
struct ScanInputs {
    std::vector<varkel::ProductRegistry> histories;
    std::vector<std::string> names;
    std::vector<std::string> pricePaths;
};

// The scan of `inputs` with `options`, each row's share of its return on
// flagged bars filled in when it is done. The window's one call of the engine.
varkel::ScanResult scanWithFlaggedShares(const ScanInputs& inputs, const varkel::ScanOptions& options);
