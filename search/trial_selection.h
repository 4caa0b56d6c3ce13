#pragma once

#include "model/layer.h"
#include "search/trial_ledger.h"
#include "search/parameter_surface.h"
#include "studies/study_kind.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace varkel {

// How a layer picks its trial from the trials it tried.
enum class TrialSelection {
    best,     // the first trial in grid order with strictly the best return
    plateau,  // the trial whose grid neighbourhood (one step in each parameter) has the best mean return
};

// A layer's trials as a parameter surface: the study's builder parameter
// names (its spans, then a real-valued setting when it has one) and, per
// ledger row in grid order, their values and the trial's final return.
ParameterSurface ledgerSurface(const TrialLedger& ledger, StudyKind kind);

// Chooses rows of one ledger by one window's sums at a time. `best`: the
// first row, in grid order, whose sum is strictly greater than every earlier
// one and than searchStartReturn (the builder's own rule).
// `plateau`: the row whose neighbourhood has the best mean sum, the first on
// ties; the grid steps it needs are worked out once, for every window.
// Nothing when no row qualifies. The ledger must outlive the selector.
class TrialSelector {
public:
    TrialSelector(const TrialLedger& ledger, StudyKind kind, TrialSelection rule);
    std::optional<std::size_t> select(int window) const;
    // select(w) of every window w of the ledger; for `best` in one pass over the rows.
    std::vector<std::optional<std::size_t>> selectEach() const;

private:
    const TrialLedger& ledger_;
    TrialSelection rule_;
    int parameterCount_ = 0;
    std::vector<int> steps_;  // per row, its step in each parameter (plateau only)
};

}  // namespace varkel
