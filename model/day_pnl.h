#pragma once

#include "data/bar.h"

#include <optional>

namespace varkel {

// One day's profit and loss for yesterday's position p and today's q, with
// today's open O and close C, yesterday's close P, the fill cost c (the open
// moved against the trader) and the units U. Nothing for a position outside
// -1, 0, +1. The back-test and the optimisers' P&L table both take every
// value from here, so a search's return equals the back-test's to the last bit.
inline std::optional<double> dayPnl(int p, int q, double O, double C, double P, double c, double U) {
    if (p == Flat && q == Flat) return 0.0;
    if (p == Flat && q == Long) return (C - (O + c)) * U;
    if (p == Flat && q == Short) return ((O - c) - C) * U;
    if (p == Long && q == Long) return (C - P) * U;
    if (p == Long && q == Flat) return ((O - c) - P) * U;
    if (p == Long && q == Short) return ((O - c) - P) * U + ((O - c) - C) * U;
    if (p == Short && q == Short) return (P - C) * U;
    if (p == Short && q == Flat) return (P - (O + c)) * U;
    if (p == Short && q == Long) return (P - (O + c)) * U + (C - (O + c)) * U;
    return std::nullopt;
}

}  // namespace varkel
