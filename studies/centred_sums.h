#pragma once

// The least-squares sums of every full window of a series, centred so that
// nothing cancels: x = 1 .. span less its mean (span + 1) / 2 (exact halves, so
// Sx is exactly 0 and drops out), and each value less the window's first one
// (for near values such as prices, an exact difference). Each window's terms
// are added in window order; the windows run side by side in the vector code
// the processor supports best, which changes no sum. A window (a, b, a) then
// has Sxy exactly 0, and a flat one Sy, Syy and Sxy 0.

#include <span>
#include <vector>

namespace varkel {

struct CentredSums {
    double sxx = 0.0;                  // the same for every window
    std::vector<double> sy, syy, sxy;  // by the window's last index; 0 before the first full window
};

// For a span of 1 or more, no longer than v.
CentredSums centredSums(std::span<const double> v, int span);

}  // namespace varkel
