#pragma once

#include "robustness/scan.h"
#include "windows/robustness/scan_picture.h"

#include <vector>

// The Scan picture's grids of a scan: one per product in the scan's order,
// a row per base in the builder's list order, a column per filter choice (no
// filter, then each second filter followed by its third filters, in the
// filter list's order) that any base of the scan was built with. A cell holds
// its row's adjusted p; NaN where the scan has no such combination or no
// adjusted p (a scan without permutations).
std::vector<AdjustedPGrid> adjustedPGrids(const varkel::ScanResult& result);

// "no filter", "ROC", "ROC+NDIST": a filter choice as short as a column allows.
QString filterChoiceLabel(const varkel::ScanCombination& combination);
