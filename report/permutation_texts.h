#pragma once

#include "robustness/permutation_report.h"

#include <string>
#include <vector>

namespace varkel {

// How the workstation and the command line show a permutation test.

// The trader's sentence on the whole build: "On 200 histories with the same
// daily moves in random order, the search found a better model 83 times:
// p = 0.42. Order in these prices is not needed to explain this model."
// (a better model: one at least as good as the real build's).
std::string permutationSentence(const PermutationSummary& whole);

// The report: a title line, P and the seed, one table row per layer in use
// (R, p-value, rank, and the mean and 5/50/95 % quantiles of the R_k), and
// the sentence. Nothing in it depends on how the run was cut into shards.
std::string permutationReportText(const PermutationReport& report, const std::string& title);

// The permuted builds' returns, one line per permutation in index order
// under a header naming the layers in use; shortest doubles that read back exactly.
std::string permutationCsv(const LayersInUse& layers, const std::vector<PermutationRow>& rows);

}  // namespace varkel
