#pragma once

// The Keltner rule's positions, many bars at a time. Where no lower band
// reaches 0, a bar's trials (multipliers in ascending order) hold at most one
// run: long where the high clears the upper band and the low stays above the
// lower one, short the other way round. Each run is found by searching the
// bands' four crossings from a guess, in the processor's best vector code.

#include "search/setting_runs.h"

#include <cstdint>
#include <vector>

namespace varkel {

// What bandRuns gives a bar that the one-run shape does not fit: a column
// that is not finite, a negative ATR, or a lower band that reaches 0.
constexpr std::int64_t notOneRun = 2;

// For each bar k in [first, first + count): trials from[k - first] ..
// to[k - first]-1 hold position[k - first] (+1 or -1; 0 when no trial is in
// a position), every other trial flat; or position notOneRun.
void bandRuns(const KeltnerColumns& columns, const std::vector<double>& multipliers, int first, int count,
              std::int64_t* from, std::int64_t* to, std::int64_t* position);

}  // namespace varkel
