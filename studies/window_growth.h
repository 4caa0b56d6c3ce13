#pragma once

// One step of windows that share their first bar: every window takes its
// next value, so that after step t the sum of the window starting at bar j is
// values[j] + values[j + 1] + ... + values[j + t], added oldest first from
// 0.0 as a plain window loop adds it. A sweep over t gives the sums (and
// means) of every span in one addition per bar and span, in the vector code
// the processor supports best, with the bits of the plain loop.

namespace varkel {

// sums[j] += next[j] for j < count; where `means` is given, also
// means[j] = sums[j] / span afterwards.
void growWindows(double* sums, const double* next, int count, double* means = nullptr, double span = 1.0);

}  // namespace varkel
