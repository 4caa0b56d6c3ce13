#include "model/mean_crossing.h"

#include <algorithm>

namespace varkel {

using lanes::Doubles;
using lanes::Ints;

void LaneSeries::resize(int n) {
    values.assign(static_cast<std::size_t>(n), Doubles{});
    windowSums.assign(static_cast<std::size_t>(n), Doubles{});
}

void LaneSeries::restartWindows(int start) {
    std::fill(windowSums.begin(), windowSums.end(), Doubles{});
    length = 0;
    firstStart = start;
}

void LaneSeries::growWindows(int newLength) {
    const int n = static_cast<int>(values.size());
    for (; length < newLength; ++length)
        for (int j = firstStart; j + length < n; ++j) windowSums[j] += values[j + length];
}

namespace {

// One pass for four spans (four independent sums keep the adder busy). The
// windows of span + p bars ending at k extend windowSums[k - span + 1 - p] by
// the bars up to k, in the order of a plain loop. A quotient rounded from the
// reciprocal settles the sign wherever the two sides are clearly apart; when
// some bar is too close to call, the pass reports false and the caller runs it
// again dividing exactly.
bool pass(const PnlTable& table, const LaneSeries& series, Ints warmUp, int smallestWarmUp, int span, bool exact,
          Doubles (&sums)[spansPerPass]) {
    Doubles reciprocal[spansPerPass], divisor[spansPerPass];
    Ints lastSilent[spansPerPass], previous[spansPerPass];
    for (int p = 0; p < spansPerPass; ++p) {
        divisor[p] = lanes::broadcast(static_cast<double>(span + p));
        reciprocal[p] = 1.0 / divisor[p];
        lastSilent[p] = warmUp + (span + p);
        sums[p] = Doubles{};
        previous[p] = Ints{};
    }
    Ints uncertain = {};
    const int n = table.historyLength();
    const Doubles* values = series.values.data();
    const Doubles* windows = series.windowSums.data();
    for (int i = 1; i < n; ++i) {
        const int k = i - 1;  // the bar whose values decide bar i
        const double* row = table.row(i);
        const Doubles low = lanes::load(row), high = lanes::load(row + lanes::width);
        Ints current[spansPerPass] = {};
        if (k > smallestWarmUp + span) {
            for (int p = 0; p < spansPerPass; ++p) {
                // No lane is past its warm-up for this span yet (and its window
                // would start before the first bar).
                if (k <= smallestWarmUp + span + p) break;
                Doubles window = windows[k - span + 1 - p];
                for (int q = p; q > 0; --q) window += values[k - q + 1];
                const Ints active = lanes::broadcast(std::int64_t{k}) > lastSilent[p];
                if (exact) {
                    current[p] = lanes::sign(values[k] - window / divisor[p]) & active;
                } else {
                    const Doubles mean = window * reciprocal[p];
                    const Doubles d = values[k] - mean;
                    uncertain |= (lanes::magnitude(d) <= lanes::magnitude(mean) * 1e-14) & active;
                    current[p] = lanes::sign(d) & active;
                }
            }
        }
        for (int p = 0; p < spansPerPass; ++p) {
            sums[p] += __builtin_shuffle(low, high, previous[p] * 3 + current[p] + 4);
            previous[p] = current[p];
        }
    }
    for (int lane = 0; lane < lanes::width; ++lane)
        if (uncertain[lane] != 0) return false;
    return true;
}

}  // namespace

void meanCrossingReturns(const PnlTable& table, const LaneSeries& series, Ints warmUp, int smallestWarmUp, int span,
                         Doubles (&sums)[spansPerPass]) {
    if (!pass(table, series, warmUp, smallestWarmUp, span, false, sums))
        pass(table, series, warmUp, smallestWarmUp, span, true, sums);
}

}  // namespace varkel
