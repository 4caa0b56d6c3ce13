#pragma once

#include <cstddef>
#include <vector>

namespace varkel {

// The p-values of a family of combinations that were all rebuilt on the same
// P permuted histories, one entry per combination in the caller's order.
struct FamilyPValues {
    // Each combination's own permutation p: (1 + #{k : R_k >= R}) / (P + 1),
    // ties counting as at least as good, exactly as summarisePermutations.
    std::vector<double> raw;
    // Westfall-Young stepdown min-p, controlling the family-wise error rate:
    // the chance that any combination with no edge gets an adjusted p of at
    // most alpha is at most alpha (up to the resolution 1 / (P + 1)).
    std::vector<double> adjusted;
};

// real[c]: combination c's return on the real history; permuted[c][k]: its
// return on permuted history k (k = 0 .. P-1, the same permuted histories for
// every combination, in index order).
//
// Each of the P + 1 histories (the real one and the permuted ones) gets a p
// for every combination by the raw formula, ranked among the P other
// histories of that combination: for history h, (1 + #{other histories g of
// the combination : R_g >= R_h}) / (P + 1). For the real history this is the
// raw p; a permuted history's p is at most the raw p exactly when its return
// is at least the real one.
//
// The combinations are taken in the stepdown order (stepdownOrder below). The
// i-th one's adjusted p is the share of the P + 1 histories whose smallest p
// over the i-th and every later combination (those not yet rejected when the
// i-th is tested) is at most the i-th's raw p. The real history always counts
// (its smallest p over those combinations is the i-th's raw p), so adjusted
// >= raw, and a family of one gets adjusted == raw. The shares are then made
// monotone by a running maximum along the stepdown order, so that a
// combination is never declared to hold up while one before it does not.
//
// Cost: O(C * P log P) time (one sort per combination), O(P) memory beyond the
// input. Throws std::invalid_argument when the sizes disagree or a return is
// NaN (a NaN has no rank among the others).
FamilyPValues familyWisePValues(const std::vector<double>& real,
                                const std::vector<std::vector<double>>& permuted);

// The stepdown order of the combinations: ascending raw p, ties by the
// caller's index (the earlier combination first), so the order and with it
// every adjusted p is fully determined by the input.
std::vector<std::size_t> stepdownOrder(const std::vector<double>& raw);

}  // namespace varkel
