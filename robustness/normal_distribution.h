#pragma once

namespace varkel {

// Z(x): the standard normal distribution function.
double standardNormalCdf(double x);

// Z^-1(p): its inverse, accurate to a few units in the last place over
// (0, 1); -infinity at 0, +infinity at 1, NaN outside [0, 1].
double standardNormalQuantile(double p);

}  // namespace varkel
