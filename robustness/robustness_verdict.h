#pragma once

#include "robustness/permutation_statistics.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varkel {

// A build holds up when every layer's PBO is below 0.5 and its DSR above 0.95.
constexpr double pboHoldsBelow = 0.5;
constexpr double dsrHoldsAbove = 0.95;

bool holdsUp(const std::vector<double>& layerPbos, double dsr);

// "The best of 486,910 trials holds up: PBO 0.31, DSR 0.97" or "... is likely
// a fluke: ...", with the worst (largest) layer PBO and two decimals. A build
// that kept plateau trials names its rule: "The plateau trial of 486,910
// trials ..., DSR 0.97 (the PBO ranks the best in-sample trial)".
std::string robustnessSentence(std::int64_t trials, const std::vector<double>& layerPbos, double dsr,
                               bool plateau = false);

// Once the build has had a permutation test, the verdict rests on it: the
// build holds up against noise when the whole build's p-value is below this.
constexpr double permutationHoldsBelow = 0.05;

// What a permutation test that did not reach permutationHoldsBelow can say:
// the test cannot tell the model from noise, which is not the same as there
// being no edge. From the figures the test has: "To stand out from noise this
// build needed more than 849.03 (the 95 % quantile of the shuffled
// histories); it earned 509.15." When P is too small for any p below 0.05, or
// the return beat that quantile but too many shuffled builds tied or beat it,
// it says so instead. Empty for a p below 0.05.
std::string notFromNoiseText(const PermutationSummary& whole);

// "The best of 486,910 trials holds up against noise: permutation test p =
// 0.0149 (PBO 0.62, DSR 0.21)", or "The permutation test could not tell the
// best of 486,910 trials from noise: p = 0.28 (PBO 0.62, DSR 0.21). To stand
// out ..." (notFromNoiseText). A plateau build names its rule as
// robustnessSentence does.
std::string permutationVerdictSentence(std::int64_t trials, const PermutationSummary& whole,
                                       const std::vector<double>& layerPbos, double dsr, bool plateau = false);

// A p-value as the sentences show it: "0.42" from 0.1 on, "0.0498" below it,
// "5e-06" below 0.001 (four decimals where 0.05 decides).
std::string pValueText(double pValue);

// 486910 -> "486,910".
std::string withThousandsSeparators(std::int64_t value);

}  // namespace varkel
