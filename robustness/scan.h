#pragma once

#include "base/run_outcome.h"
#include "base/work_control.h"
#include "data/product.h"
#include "model/trade_model.h"
#include "robustness/permutation_runs.h"
#include "robustness/permutation_statistics.h"
#include "robustness/walk_forward_folds.h"
#include "search/build_validation.h"
#include "search/optimiser_grid.h"
#include "search/trial_selection.h"
#include "studies/study_kind.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varkel {

// The scan: every base and filter combination the builder accepts, built on
// each product's history with the same settings, and with permutations tested
// as one family, so that trying many combinations and keeping the best is
// itself measured.

// One combination of indexes: a base, and no filter, a second, or a second
// and a third.
struct ScanCombination {
    StudyKind base = StudyKind::Macd;
    std::optional<StudyKind> second;
    std::optional<StudyKind> third;  // only with a second

    IndexChoice choice() const;
    bool operator==(const ScanCombination&) const = default;
};

// "MACD", "MACD + Rate Of Change", "MACD + Rate Of Change + Normal Distribution".
std::string combinationName(const ScanCombination& combination);
// "--base macd --second roc --third ndist": the build command's options for it.
std::string combinationOptions(const ScanCombination& combination);

// Every combination validateIndexChoice accepts with a base of `bases` and
// filters of `filters` (each empty: the builder's whole list), in the order
// the scan builds them: base by base in the builder's list order; for each,
// no filter, then each second filter followed by its third filters. 71 for
// the whole lists. Kinds that cannot stand in their place are left out.
std::vector<ScanCombination> scanCombinations(const std::vector<StudyKind>& bases = {},
                                              const std::vector<StudyKind>& filters = {});

// The run control's stages: the real builds count layer searches (each base
// and each filter on top of the layers before it once), the permuted
// histories count histories (every combination built on each), the
// walk-forwards count combinations.
enum class ScanStage { RealBuilds = 1, PermutedHistories = 2, WalkForwards = 3 };

struct ScanOptions : WorkControl {
    // Empty: every combination of the builder's lists (scanCombinations()).
    std::vector<ScanCombination> combinations;
    TrialSelection selection = TrialSelection::best;
    BuildGrids grids{};
    // P, 0 for none. Product j (from 0, in the order given) is permuted with
    // seed + j, so that a scan of one product with seed S finds the
    // permutation test's own returns for `permute --seed S`.
    std::int64_t permutations = 0;
    std::uint64_t seed = 1;
    PermutationShard shard{};
    // Each combination's walk-forward (its stitched out-of-sample net and share of profitable folds).
    std::optional<FoldSettings> walkForward;
};

// The seed product `productIndex` of a scan is permuted with.
std::uint64_t productSeed(std::uint64_t seed, std::size_t productIndex);

// The most products and permutations one scan takes: a part file of 284
// combinations holds about 6 kB a permutation, so that 16 products of 71
// combinations and 10000 permutations stay within maxPartFileBytes.
inline constexpr std::size_t maxScanProducts = 16;
inline constexpr std::int64_t maxScanPermutations = 10000;

// The message that refuses the options (no combination, one the builder
// refuses or given twice, P above maxScanPermutations or negative, a shard
// that is not I/N with 1 <= I <= N <= P, a shard without permutations, fold
// settings the walk-forward refuses), or nothing.
std::optional<std::string> validateScanOptions(const ScanOptions& options);

// A combination's walk-forward figures.
struct ScanWalkForward {
    double outOfSampleNet = 0.0;      // of the stitched out-of-sample daily P&L
    double profitableFoldShare = 0.0;  // folds whose out-of-sample return is above 0, of all folds
    int folds = 0;
};

// One combination on one product.
struct ScanRow {
    std::string product;
    ScanCombination combination;
    // The model `build` gives for this combination, with its measures
    // (netProfit, tradeCount, ...): the in-sample figures.
    TradeModel model{};
    // R: the return of the last layer's chosen trial, the figure the
    // permutation test compares (a layer that kept no trial: searchStartReturn).
    double real = 0.0;
    // The real model's daily P&L, one per bar of the product's history (for
    // the share of its return on flagged bars); empty in a merged run.
    std::vector<double> dailyPnl;
    // The share of the model's net return earned on flagged bars and the bars
    // after them; filled by the report layer (which reads the data check) or
    // from a part file; nothing when not known or the net return is not a gain.
    std::optional<double> flaggedShare;
    // With every permutation: R's place among this combination's permuted returns.
    std::optional<PermutationSummary> permutation;
    // The Westfall-Young step-down min-p adjusted p-value over every row of the scan.
    std::optional<double> adjustedPValue;
    std::optional<ScanWalkForward> walkForward;
};

struct ScanResult : RunEnd {
    std::vector<ScanRow> rows;  // product by product in the order given, each in the combinations' order
    std::int64_t permutations = 0;
    std::uint64_t seed = 1;
    PermutationShard shard{};
    // The shard's permutation indexes k in ascending order, and per row the
    // last layer's return on permuted history k of its product:
    // permuted[row][i] for k = permutationIndexes[i].
    std::vector<std::int64_t> permutationIndexes;
    std::vector<std::vector<double>> permuted;
};

// Builds every combination of the options on each product's own history as
// the builder would (the same model, bit for bit), sharing the searches where
// the layers allow: each base is searched once for all its combinations, each
// second layer once for all its third layers. With permutations, builds every
// combination on each permuted history of the shard too, keeping only the
// last layer's return; for the whole run (shard 1/1) it fills each row's
// permutation summary and the family's adjusted p-values (scoreScanFamily).
// The same result on any number of threads.
// Refused for invalid options, no product or more than maxScanProducts, a
// history too short for a combination, or (with permutations) a price not
// above zero; the products are not touched. Cancelled: nothing kept.
ScanResult runScan(const std::vector<const Product*>& products, const ScanOptions& options);

// Fills each row's permutation summary and adjusted p-value from the
// permuted returns of every permutation 1 .. P (a whole run or a merge).
void scoreScanFamily(ScanResult& result);

// How many rows have an adjusted p-value below permutationHoldsBelow.
int rowsHoldingUp(const ScanResult& result);

}  // namespace varkel
