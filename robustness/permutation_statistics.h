#pragma once

#include <cstdint>
#include <vector>

namespace varkel {

// How one layer's real return R stands among the returns R_k the same search
// found on P permuted histories.
struct PermutationSummary {
    double real = 0.0;              // R
    std::int64_t permutations = 0;  // P
    // #{k : R_k >= R}: a tie counts as at least as good as the real build.
    std::int64_t atLeastAsGood = 0;
    // (1 + atLeastAsGood) / (P + 1).
    double pValue = 1.0;
    // R's place from the top among the P + 1 returns, each tie placed before
    // it: 1 + atLeastAsGood, so that pValue = rank / (P + 1).
    std::int64_t rank = 1;
    // Of the R_k: their mean (summed in index order) and their 5, 50 and 95 %
    // quantiles; NaN when P is 0.
    double mean = 0.0;
    double quantile5 = 0.0;
    double median = 0.0;
    double quantile95 = 0.0;
};

// `permuted` holds the R_k in index order.
PermutationSummary summarisePermutations(double real, const std::vector<double>& permuted);

// The q-quantile (0 <= q <= 1) of ascending `sorted` values by linear
// interpolation between order statistics (Hyndman and Fan's type 7, the
// default of R and NumPy): with h = (n - 1) q, x[floor h] + (h - floor h)
// (x[floor h + 1] - x[floor h]). NaN for no values.
double quantileOfSorted(const std::vector<double>& sorted, double q);

}  // namespace varkel
