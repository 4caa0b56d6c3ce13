#include "robustness/permutation_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varkel {

double quantileOfSorted(const std::vector<double>& sorted, double q) {
    if (sorted.empty()) return std::numeric_limits<double>::quiet_NaN();
    const double h = static_cast<double>(sorted.size() - 1) * q;
    const auto below = static_cast<std::size_t>(std::floor(h));
    if (below + 1 >= sorted.size()) return sorted.back();
    const double fraction = h - static_cast<double>(below);
    return sorted[below] + fraction * (sorted[below + 1] - sorted[below]);
}

PermutationSummary summarisePermutations(double real, const std::vector<double>& permuted) {
    PermutationSummary summary;
    summary.real = real;
    summary.permutations = static_cast<std::int64_t>(permuted.size());
    summary.atLeastAsGood = std::count_if(permuted.begin(), permuted.end(), [real](double r) { return r >= real; });
    summary.rank = 1 + summary.atLeastAsGood;
    summary.pValue = static_cast<double>(summary.rank) / static_cast<double>(summary.permutations + 1);
    double sum = 0.0;
    for (const double r : permuted) sum += r;
    summary.mean = permuted.empty() ? std::numeric_limits<double>::quiet_NaN()
                                    : sum / static_cast<double>(permuted.size());
    std::vector<double> sorted = permuted;
    std::sort(sorted.begin(), sorted.end());
    summary.quantile5 = quantileOfSorted(sorted, 0.05);
    summary.median = quantileOfSorted(sorted, 0.5);
    summary.quantile95 = quantileOfSorted(sorted, 0.95);
    return summary;
}

}  // namespace varkel
