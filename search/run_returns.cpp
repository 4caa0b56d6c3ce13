// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/run_returns.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/run_returns.h"

#include <hwy/highway.h>

#include <algorithm>
#include <vector>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// Adds `entry` to sums[from .. to). The last, partial vector adds +0.0 to
// the lanes past `to`, which changes no sum (none is ever -0.0), so `sums`
// needs room for a vector's lanes past the last trial.
HWY_INLINE void addToEach(double* sums, int from, int to, double entry) {
    const hn::ScalableTag<double> d;
    const int lanes = static_cast<int>(hn::Lanes(d));
    const auto value = hn::Set(d, entry);
    int t = from;
    for (; t + lanes <= to; t += lanes) hn::StoreU(hn::Add(hn::LoadU(d, sums + t), value), d, sums + t);
    if (t < to)
        hn::StoreU(hn::Add(hn::LoadU(d, sums + t), hn::IfThenElseZero(hn::FirstN(d, to - t), value)), d, sums + t);
}

void RunReturns(const PnlTable& table, const PositionRuns& runs, double* result, TrialWindowSums* ledgerWindows) {
    const int trials = runs.trials();
    std::vector<double> sums(static_cast<std::size_t>(trials) + hn::Lanes(hn::ScalableTag<double>()), 0.0);
    if (ledgerWindows != nullptr) ledgerWindows->start();
    const int n = std::min(table.historyLength(), runs.bars());
    for (int i = 1; i < n; ++i) {
        if (ledgerWindows != nullptr) ledgerWindows->reach(i);
        const double* row = table.row(i);
        const PositionRun* yesterday = runs.begin(i - 1);
        const PositionRun* yesterdayEnd = runs.end(i - 1);
        const PositionRun* today = runs.begin(i);
        const PositionRun* todayEnd = runs.end(i);
        for (int from = 0; from < trials;) {
            const int yesterdayTo = yesterday + 1 < yesterdayEnd ? yesterday[1].first : trials;
            const int todayTo = today + 1 < todayEnd ? today[1].first : trials;
            const int to = std::min(yesterdayTo, todayTo);
            // Flat on both days earns exactly 0.0, which changes no sum.
            if (yesterday->position != 0 || today->position != 0) {
                const double entry = row[3 * (yesterday->position + 1) + (today->position + 1)];
                addToEach(sums.data(), from, to, entry);
                if (ledgerWindows != nullptr) {
                    for (const int r : ledgerWindows->active()) addToEach(ledgerWindows->running(r), from, to, entry);
                    if (ledgerWindows->withSquares()) addToEach(ledgerWindows->squares(), from, to, entry * entry);
                }
            }
            from = to;
            if (yesterdayTo == to) ++yesterday;
            if (todayTo == to) ++today;
        }
    }
    if (ledgerWindows != nullptr) ledgerWindows->finish();
    std::copy_n(sums.begin(), trials, result);
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(RunReturns);

void runReturns(const PnlTable& table, const PositionRuns& runs, double* sums, TrialWindowSums* ledgerWindows) {
    HWY_DYNAMIC_DISPATCH(RunReturns)(table, runs, sums, ledgerWindows);
}

}  // namespace varkel
#endif
