#pragma once

#include "data/price_check.h"

#include <string>

namespace varkel {

// One line for a finding: "line 1234 (20080408): spike: close 108.18 ...".
std::string describeFinding(const DataFinding& finding);

// "4666 bars, 3 findings: 1 gap, 2 spikes" or "4666 bars, no findings".
std::string checkSummary(const PriceCheck& check);

}  // namespace varkel
