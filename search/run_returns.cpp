// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/run_returns.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/run_returns.h"

#include "search/equal_trials.h"

#include <hwy/highway.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// Bars go through the trials a few at a time: each stretch of trials whose
// positions all those bars share takes the bars' entries in bar order, read
// and written back once for them all. The cost goes by stretch (its walk and
// its blended last vector), not by bar: four bars keep the stretches wider
// than eight do, which made the Keltner and span-threshold grids 4-8 % quicker
// on AVX2 and AVX-512 alike (three bars or five were no better, the ledger's
// searches the same with either).
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

// Trials from .. to-1, which take the same entries.
struct Stretch {
    int from, to;
    double entries[batchBars];
};

// A batch's stretches are found first and added after, so that the adds need
// not wait for the search of the next stretch.
class StretchAdder {
public:
    StretchAdder(double* sums, TrialWindowSums* ledgerWindows) : sums_(sums), ledger_(ledgerWindows) {}

    void push(int from, int to, const double (&entries)[batchBars]) {
        Stretch& stretch = pending_[count_++];
        stretch.from = from;
        stretch.to = to;
        for (int b = 0; b < batchBars; ++b) stretch.entries[b] = entries[b];
        if (count_ == maxPending) flush();
    }

    void flush() {
        for (int k = 0; k < count_; ++k) {
            const Stretch& stretch = pending_[k];
            addToEach(sums_, stretch.from, stretch.to, stretch.entries);
            if (ledger_ == nullptr) continue;
            for (const int r : ledger_->active()) addToEach(ledger_->running(r), stretch.from, stretch.to, stretch.entries);
            if (ledger_->withSquares()) {
                double squares[batchBars];
                for (int b = 0; b < batchBars; ++b) squares[b] = stretch.entries[b] * stretch.entries[b];
                addToEach(ledger_->squares(), stretch.from, stretch.to, squares);
            }
        }
        count_ = 0;
    }

private:
    static constexpr int maxPending = 32;
    double* sums_;
    TrialWindowSums* ledger_;
    Stretch pending_[maxPending];
    int count_ = 0;
};

// Bars i .. i+Count-1. The count is fixed at compile time so that the walk
// over the days' runs keeps its pointers in registers.
template <int Count>
void addBatch(const PnlTable& table, const PositionRuns& runs, int i, StretchAdder& adder) {
    // days[b] and days[b + 1]: the runs of the days before and of bar i + b,
    // at the run that holds the current trial.
    const PositionRun* days[Count + 1];
    for (int b = 0; b <= Count; ++b) days[b] = runs.begin(i - 1 + b);
    for (int from = 0; from < runs.trials();) {
        int to = days[0]->end;
        for (int b = 1; b <= Count; ++b) to = std::min(to, days[b]->end);
        // Bars past the batch, and bars flat on both days, add exactly 0.0.
        double entries[batchBars] = {};
        bool moving = false;
        for (int b = 0; b < Count; ++b) {
            const int key = PnlTable::entryIndex(days[b]->position, days[b + 1]->position);
            entries[b] = table.row(i + b)[key];
            moving |= key != flatOnBothDays;
        }
        if (moving) adder.push(from, to, entries);
        for (int b = 0; b <= Count; ++b) days[b] += days[b]->end == to ? 1 : 0;
        from = to;
    }
    adder.flush();
}

// addBatch<1> .. addBatch<batchBars>, by count - 1.
template <int... Counts>
constexpr auto batchFunctions(std::integer_sequence<int, Counts...>) {
    return std::array{&addBatch<Counts + 1>...};
}
constexpr auto batchOf = batchFunctions(std::make_integer_sequence<int, batchBars>());

void RunReturns(const PnlTable& table, const PositionRuns& runs, double* result, TrialWindowSums* ledgerWindows) {
    const int trials = runs.trials();
    std::vector<double> sums(static_cast<std::size_t>(trials) + hn::Lanes(hn::ScalableTag<double>()), 0.0);
    StretchAdder adder(sums.data(), ledgerWindows);
    if (ledgerWindows != nullptr) ledgerWindows->start();
    const int n = std::min(table.historyLength(), runs.bars());
    for (int i = 1; i < n;) {
        // A batch ends where the ledger's running sums change.
        int last = std::min(n, i + batchBars);
        if (ledgerWindows != nullptr) {
            ledgerWindows->reach(i);
            last = std::min(last, ledgerWindows->nextBoundary());
        }
        batchOf[last - i - 1](table, runs, i, adder);
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
    const EqualTrials equal(runs);
    if (!equal.worthMerging()) {
        HWY_DYNAMIC_DISPATCH(RunReturns)(table, runs, sums, ledgerWindows);
        return;
    }
    HWY_DYNAMIC_DISPATCH(RunReturns)(table, equal.merged(runs), sums, ledgerWindows);
    equal.spread(sums);
    if (ledgerWindows == nullptr) return;
    for (int w = 0; w < ledgerWindows->plan().windowCount; ++w) equal.spread(ledgerWindows->window(w));
    equal.spread(ledgerWindows->squares());
}

}  // namespace varkel
#endif
