#pragma once

#include <optional>

namespace varkel {

// The one tie rule of every search, as the classic builder has it: trials are
// met in loop order and one replaces the kept trial only when its value is
// strictly greater, so among equal values the first one met stays, and a
// value that is not a number never replaces anything. Returns whether
// `value` was kept.
template <class Index>
bool keepFirstStrictlyBest(double value, Index index, double& bestValue, std::optional<Index>& bestIndex) {
    if (!(value > bestValue)) return false;
    bestValue = value;
    bestIndex = index;
    return true;
}

// The same rule for a kept trial whose index has a "none yet" value of its own.
template <class Index>
bool keepFirstStrictlyBest(double value, Index index, double& bestValue, Index& bestIndex) {
    if (!(value > bestValue)) return false;
    bestValue = value;
    bestIndex = index;
    return true;
}

}  // namespace varkel
