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

// Bars go through the trials a few at a time: each stretch of trials whose
// positions all those bars share takes the bars' entries in bar order, read
// and written back once for them all.
constexpr int batchBars = 4;
// The table entry of flat on both days, exactly 0.0.
constexpr int flatOnBothDays = PnlTable::entryIndex(0, 0);

// Adds entries[0], entries[1], ... in that order to each of sums[from ..
// to). The last, partial vector writes back the lanes past `to` unchanged,
// so `sums` needs room for a vector's lanes past the last trial.
HWY_INLINE void addToEach(double* sums, int from, int to, const double (&entries)[batchBars]) {
    const hn::ScalableTag<double> d;
    const int lanes = static_cast<int>(hn::Lanes(d));
    hn::Vec<decltype(d)> value[batchBars];
    for (int b = 0; b < batchBars; ++b) value[b] = hn::Set(d, entries[b]);
    auto addAll = [&](auto sum) HWY_ATTR {
        for (int b = 0; b < batchBars; ++b) sum = hn::Add(sum, value[b]);
        return sum;
    };
    int t = from;
    for (; t + lanes <= to; t += lanes) hn::StoreU(addAll(hn::LoadU(d, sums + t)), d, sums + t);
    // Also when no lane is left: a branch on it would often be mispredicted.
    const auto old = hn::LoadU(d, sums + t);
    hn::StoreU(hn::IfThenElse(hn::FirstN(d, to - t), addAll(old), old), d, sums + t);
}

// One bar's runs, walked from the run that holds the current trial.
struct RunCursor {
    const PositionRun* at;
    const PositionRun* end;

    // The first trial past the current run.
    int runEnd(int trials) const { return at + 1 < end ? at[1].first : trials; }
};

void RunReturns(const PnlTable& table, const PositionRuns& runs, double* result, TrialWindowSums* ledgerWindows) {
    const int trials = runs.trials();
    std::vector<double> sums(static_cast<std::size_t>(trials) + hn::Lanes(hn::ScalableTag<double>()), 0.0);
    if (ledgerWindows != nullptr) ledgerWindows->start();
    const int n = std::min(table.historyLength(), runs.bars());
    for (int i = 1; i < n;) {
        // Bars i .. last-1; a batch ends where the ledger's running sums change.
        int last = std::min(n, i + batchBars);
        if (ledgerWindows != nullptr) {
            ledgerWindows->reach(i);
            last = std::min(last, ledgerWindows->nextBoundary());
        }
        const int count = last - i;
        // cursors[b] and cursors[b + 1]: the days before and of bar i + b.
        RunCursor cursors[batchBars + 1];
        const double* rows[batchBars];
        for (int b = 0; b <= count; ++b) cursors[b] = {runs.begin(i - 1 + b), runs.end(i - 1 + b)};
        for (int b = 0; b < count; ++b) rows[b] = table.row(i + b);
        for (int from = 0; from < trials;) {
            int to = trials;
            for (int b = 0; b <= count; ++b) to = std::min(to, cursors[b].runEnd(trials));
            // Bars past the batch, and bars flat on both days, add exactly 0.0.
            double entries[batchBars] = {};
            bool moving = false;
            for (int b = 0; b < count; ++b) {
                const int key = PnlTable::entryIndex(cursors[b].at->position, cursors[b + 1].at->position);
                entries[b] = rows[b][key];
                moving |= key != flatOnBothDays;
            }
            if (moving) {
                addToEach(sums.data(), from, to, entries);
                if (ledgerWindows != nullptr) {
                    for (const int r : ledgerWindows->active()) addToEach(ledgerWindows->running(r), from, to, entries);
                    if (ledgerWindows->withSquares()) {
                        double squares[batchBars];
                        for (int b = 0; b < batchBars; ++b) squares[b] = entries[b] * entries[b];
                        addToEach(ledgerWindows->squares(), from, to, squares);
                    }
                }
            }
            for (int b = 0; b <= count; ++b) cursors[b].at += cursors[b].runEnd(trials) == to ? 1 : 0;
            from = to;
        }
        i = last;
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
