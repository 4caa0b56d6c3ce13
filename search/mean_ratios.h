#pragma once

// The ratio of two window means, bar after bar (stochastics' %D of one span):
// out[i] = (a[i] / span) / (b[i] / span), or 0 where b[i] is 0, each
// division rounded once as the study rounds it, in the vector code the
// processor supports best.

namespace varkel {

void meanRatios(const double* a, const double* b, int count, double span, double* out);

}  // namespace varkel
