#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace varkel {

// Every Sharpe ratio the program shows, defined here once. There are two
// kinds: the model file's "Sharpe Ratio" (the mean of rolling 20-bar window
// ratios, measures.h) and the per-bar Sharpe ratio of a daily P&L series that
// the deflated Sharpe ratio and the walk-forward's stitched curve use.

// Trading days in a year, for the annualised per-bar Sharpe ratio.
constexpr double tradingDaysPerYear = 252.0;

// Bars in the model file's rolling Sharpe window.
constexpr int sharpeWindowBars = 20;

// The per-bar Sharpe ratio: mean over sample standard deviation (n - 1), both
// summed in bar order. Empty with fewer than two values or no spread.
std::optional<double> perBarSharpe(std::span<const double> pnl);

// The same from a series' running sums over `count` bars (a trial of the
// ledger). Empty when the deviation is zero: a trial that never traded, or a
// constant series whose variance is only rounding left over from the sums (at
// most count x epsilon of the sum of squares).
std::optional<double> trialSharpe(double sum, double sumOfSquares, std::int64_t count);

// A per-bar Sharpe ratio over a year: x sqrt(252).
double annualisedSharpe(double perBar);

// One window of the model file's rolling ratio, newest bar first: the sum over
// the root of absDeviationVariance; 0 when that variance is 0.
double windowSharpe(std::span<const double, sharpeWindowBars> window);

// The sum of (|x| - |m|)^2 over the values, divided by count - 1, where m is the
// signed mean: magnitudes are compared with the magnitude of the mean. 0.0 for
// no values.
double absDeviationVariance(std::span<const double> values);

}  // namespace varkel
