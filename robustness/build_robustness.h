#pragma once

#include "data/product.h"
#include "search/optimiser_control.h"
#include "search/trial_ledger.h"
#include "robustness/deflated_sharpe.h"
#include "robustness/overfitting_probability.h"
#include "search/parameter_surface.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace varkel {

// How likely a build's best model is a fluke of its search, as numbers: the
// probability of backtest overfitting of every layer, the deflated Sharpe
// ratio of the built model and the base layer's parameter surface.
struct BuildRobustness {
    bool computed = false;  // false when the build was asked for none
    int blockCount = 0;     // S: the P&L bars 1 .. N-1 cut into S blocks

    // Per layer (base, 2nd, 3rd) that ran: its PBO by combinatorially
    // symmetric cross-validation over the layer's trials (pbo, splitCount
    // ways, medianLogit, outOfSampleLossProbability, degradationSlope, the
    // logits for a histogram, trialCount). Filters are scored on the positions
    // of the layers chosen before them. `valid` is false when the history has
    // fewer P&L bars than blocks.
    std::array<std::optional<PboResult>, 3> layers{};

    std::int64_t trials = 0;  // K: the trials of every layer of the build
    // The layers kept their plateau trial; the PBO still ranks each layer's
    // best in-sample trial, which the verdict says.
    bool plateau = false;
    // V: the sample variance of the base layer's trials' per-bar Sharpe
    // ratios, over the trials whose daily P&L varies (`trials` of them).
    TrialSharpeSpread baseSharpeSpread{};
    // The built model's daily P&L (bars 1 .. N-1, flat days included):
    // per-bar and annualised SR, SR0 (`benchmark`), DSR (`deflated`) and PSR
    // against 0 (`probabilistic`). Empty when the P&L does not vary.
    std::optional<DeflatedSharpe> sharpe;

    // Every base trial's parameters and full-history return, in grid order.
    ParameterSurface baseSurface;

    // The PBO of every layer that ran, NaN for one without (as the verdict reads them).
    std::vector<double> layerPbos() const;
    // The DSR, NaN when there is none.
    double deflatedSharpe() const;
};

// The PBO of one layer's trials from its ledger's block sums, on the
// control's workers; cancelled with the control. Not valid when the ledger
// holds no `blockCount` windows (a history too short to cut).
PboResult layerOverfitting(const TrialLedger& ledger, int blockCount, const WorkControl& control);

// The deflated Sharpe ratio of a built model's bars after a search of
// `trials` trials whose Sharpe ratios vary by `trialVariance`.
std::optional<DeflatedSharpe> builtModelSharpe(const std::vector<Bar>& bars, int historyLength,
                                               double trialVariance, std::int64_t trials);

}  // namespace varkel
