#pragma once

#include "model/trial_ledger.h"

#include <cstddef>
#include <optional>

namespace varkel {

// How a trial is chosen from a ledger's rows by one window's sums.
enum class SelectionRule {
    // The first row, in grid order, whose sum is strictly greater than every
    // earlier one and than the searches' start value -999999.0: the rule of
    // the builder itself.
    FirstStrictlyBest,
};

// The chosen row, or nothing when no row beats the start value.
std::optional<std::size_t> selectTrial(const TrialLedger& ledger, int window,
                                       SelectionRule rule = SelectionRule::FirstStrictlyBest);

}  // namespace varkel
