#pragma once

#include "data/product.h"
#include "robustness/walk_forward.h"

#include <optional>
#include <string>

namespace varkel {

// How the workstation and the command line show a walk-forward report.

// A fold model's base parameters: its spans joined by "/", then its
// real-valued parameter (threshold, multiplier) when the study has one:
// "12/26/9", "20/10 @1.5"; "-" for no study.
std::string foldBaseText(const Layer& base);
// A filter layer's span and threshold, "5 @0.5"; "-" when not in use.
std::string foldFilterText(const Layer& filter);
// "@%.4g".
std::string thresholdText(double value);
// A ratio with a printf pattern, "n/a" when there is none.
std::string optionalText(const std::optional<double>& value, const char* pattern);

// Why a walk-forward that wanted too much memory was refused:
// "The walk-forward's 4616 folds would need 19.3 GB for ..., more than ...".
std::string walkForwardMemoryText(const WalkForwardReport& report);

// One line per fold under a header, nothing else; returns, thresholds and
// efficiencies with 17 significant digits, so they read back exactly.
std::string walkForwardCsv(const WalkForwardReport& report, const Product& product);

}  // namespace varkel
