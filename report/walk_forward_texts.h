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

// The plain verdict: "Out of sample: net 1234.50 over 12 folds, 7 of 12
// profitable (58 %), efficiency 0.41; the whole-history build earns 3210.00
// on the same bars, in sample."
std::string walkForwardVerdict(const WalkForwardReport& report);

// A last test window the history's end cut shorter than the `testBars` asked:
// "The last fold tests only 171 bars, not the 250 asked: the history ends
// there." ("The single fold ..." when there is one). Empty when every
// fold tests testBars bars.
std::string cutTestWindowText(const WalkForwardReport& report, int testBars);

// What the parameter columns hold, from the first fold's model: "Base MACD:
// fast/slow/signal; 2nd Rate Of Change: span @threshold".
std::string parameterColumnKey(const WalkForwardReport& report);

// The data-quality note of the whole-history build over the tested bars
// (dataQualityNote), from the check of the price file the product came from.
std::string walkForwardDataQualityNote(const WalkForwardReport& report, const Product& product,
                                       const std::string& pricePath);

// One line per fold under a header, nothing else; spans and thresholds as the
// model file holds them (modelFileRealText), returns and efficiencies in their
// shortest exact form (shortestText).
std::string walkForwardCsv(const WalkForwardReport& report, const Product& product);

}  // namespace varkel
