#pragma once

#include "data/price_check.h"

#include <string>
#include <vector>

namespace varkel {

// One line for a finding: "line 1234 (20080408): spike: close 108.18 ...".
std::string describeFinding(const DataFinding& finding);

// "4666 bars, 3 findings: 1 gap, 2 spikes" or "4666 bars, no findings",
// followed by "; 2 history findings" when the history's figures are far from
// clean daily FX.
std::string checkSummary(const PriceCheck& check);

// One line for a finding about the whole history: "history: 77 % of the
// close-to-close variance lies between one bar's close and the next bar's
// open (clean daily FX: 2-3 %, ...".
std::string describeHistoryFinding(HistoryFindingKind kind, const HistoryFigures& figures);

// The lines of the check's history findings, in order.
std::vector<std::string> describeHistoryFindings(const PriceCheck& check);

}  // namespace varkel
