#pragma once

#include "model/sharpe_ratio.h"

#include <cstdint>
#include <optional>

namespace varkel {

// The Euler-Mascheroni constant.
constexpr double eulerGamma = 0.5772156649015329;

// The sample moments of a daily P&L series that the deflated Sharpe ratio needs.
struct ReturnMoments {
    std::int64_t count = 0;  // T, flat days included
    double sharpe = 0.0;     // perBarSharpe
    double skewness = 0.0;   // third population standardised moment
    double kurtosis = 0.0;   // fourth population standardised moment (3 for a normal law)
};

// Empty when there are fewer than two values or they do not vary.
std::optional<ReturnMoments> describeReturns(const double* pnl, std::int64_t count);

// The sample variance (n - 1) of the trials' Sharpe ratios, and how many
// trials had one. The variance is NaN with fewer than two.
struct TrialSharpeSpread {
    double variance = 0.0;
    std::int64_t trials = 0;
};
TrialSharpeSpread trialSharpeSpread(const double* sums, const double* sumsOfSquares, std::int64_t trialCount,
                                    std::int64_t barCount);

// SR0: the expected largest Sharpe ratio of `trials` independent trials of no
// skill whose Sharpe ratios have variance `variance`:
// sqrt(V) ((1 - gamma) Z^-1(1 - 1/K) + gamma Z^-1(1 - 1/(K e))). A single trial
// is not a selection: its expected largest Sharpe ratio is 0.
double expectedMaxSharpe(double variance, std::int64_t trials);

// The probabilistic Sharpe ratio: the probability that the true Sharpe ratio
// exceeds `benchmark`, given the observed moments:
// Z((SR - SR*) sqrt(T - 1) / sqrt(1 - g3 SR + (g4 - 1) / 4 SR^2)).
double probabilisticSharpe(const ReturnMoments& moments, double benchmark);

struct DeflatedSharpe {
    ReturnMoments moments;
    double annualisedSharpe = 0.0;  // per-bar Sharpe ratio x sqrt(252)
    double benchmark = 0.0;         // SR0, per bar
    double deflated = 0.0;          // DSR: the probabilistic Sharpe ratio against SR0
    double probabilistic = 0.0;     // PSR against 0
};

// The deflated Sharpe ratio of a built model's daily P&L, after a search of
// `trials` trials (all layers) whose Sharpe ratios vary by `trialVariance`.
// Empty when the P&L does not vary.
std::optional<DeflatedSharpe> deflateSharpe(const double* pnl, std::int64_t count, double trialVariance,
                                            std::int64_t trials);

}  // namespace varkel
