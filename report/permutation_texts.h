#pragma once

#include "robustness/permutation_report.h"

#include <string>
#include <vector>

namespace varkel {

// How the workstation and the command line show a permutation test.

// What a permuted history is, as every text that names one says it: the
// overnight moves and the day shapes are shuffled each on their own, so
// close-to-close moves are not kept.
inline constexpr const char* shuffleDescription = "their overnight moves and day shapes shuffled separately";

// The trader's sentence on the whole build: "On 200 histories with their
// overnight moves and day shapes shuffled separately, the search found a
// model at least as good 83 times: p = 0.42. The test could not tell this
// model from noise. To stand out ..." (notFromNoiseText), or for a p below
// 0.05 "... This model holds up against noise."
std::string permutationSentence(const PermutationSummary& whole);

// The report: a title line, P and the seed, one table row per layer in use
// (R, p-value, rank, and the mean and 5/50/95 % quantiles of the R_k), and
// the sentence. Nothing in it depends on how the run was cut into shards.
std::string permutationReportText(const PermutationReport& report, const std::string& title);

// The permuted builds' returns, one line per permutation in index order
// under a header naming the layers in use; shortest doubles that read back exactly.
std::string permutationCsv(const LayersInUse& layers, const std::vector<PermutationRow>& rows);

}  // namespace varkel
