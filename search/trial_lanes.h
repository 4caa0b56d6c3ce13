#pragma once

// Eight trials side by side. The searches evaluate eight grid points at once,
// one per lane: each lane's positions and its running P&L sum follow that
// trial's own bars in bar order, so every lane's result equals the one-trial
// back-test to the last bit; only the work is shared.
//
// These are the lanes as the searches keep them between passes: plain values,
// the same on every processor. The vector code of each target
// (trial_lanes-inl.h) loads them into as many registers as it needs.

#include <cstdint>

namespace varkel::lanes {

constexpr int width = 8;

// The lane kernel of the threshold searches (for filter thresholds whose sizes
// do not ascend, which the position runs cannot take) runs two groups of eight
// lanes per pass over the bars: each bar's shared work is done once for 16
// trials, and two independent sums keep the adder busy. (Four measured slower
// on AVX2: their sums no longer fit the registers.)
constexpr int groupsPerPass = 2;

template <typename T>
struct alignas(64) Values {
    T lane[width] = {};
    T& operator[](int i) { return lane[i]; }
    const T& operator[](int i) const { return lane[i]; }
};

using Doubles = Values<double>;
using Ints = Values<std::int64_t>;

}  // namespace varkel::lanes
