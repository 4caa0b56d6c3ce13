#pragma once

#include "data/bar.h"

#include <string>

namespace varkel {

// Appends one bar's line of the strategy file: date, open, high, low, close
// ("%10.2f"), position ("%d"), daily and cumulative P&L ("%10.4f"),
// comma-separated, ending in a line feed. The very text printf makes of that
// format, written with std::to_chars, which rounds the exact binary value half
// to even as glibc's printf does: a history of thousands of bars spent most of
// the daily signal in printf's general machinery.
void appendStrategyLine(std::string& text, const Bar& bar);

}  // namespace varkel
