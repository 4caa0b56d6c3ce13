#include "search/mean_crossing.h"

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

// Final returns of spans span .. span+3 in one pass over the bars (four
// independent sums keep the adder busy). The windows of span + p bars ending at
// k extend windowSums[k - span + 1 - p] by the bars up to k, in the order of a
// plain loop, and the mean divides exactly as the study does.
template <typename WindowSums>
void meanCrossingReturns(const PnlTable& table, const LaneSeries& series, Ints warmUp, int smallestWarmUp, int span,
                         Doubles (&sums)[spansPerPass], WindowSums& ledgerWindows) {
    Doubles divisor[spansPerPass];
    Ints lastSilent[spansPerPass], previous[spansPerPass];
    for (int p = 0; p < spansPerPass; ++p) {
        divisor[p] = lanes::broadcast(static_cast<double>(span + p));
        lastSilent[p] = warmUp + (span + p);
        sums[p] = Doubles{};
        previous[p] = Ints{};
    }
    ledgerWindows.start();
    const int n = table.historyLength();
    const Doubles* values = series.values.data();
    const Doubles* windows = series.windowSums.data();
    for (int i = 1; i < n; ++i) {
        const int k = i - 1;  // the bar whose values decide bar i
        const double* row = table.row(i);
        Ints current[spansPerPass] = {};
        for (int p = 0; p < spansPerPass; ++p) {
            // No lane is past its warm-up for this span yet (and its window
            // would start before the first bar).
            if (k <= smallestWarmUp + span + p) break;
            Doubles window = windows[k - span + 1 - p];
            for (int q = p; q > 0; --q) window += values[k - q + 1];
            const Ints active = lanes::broadcast(std::int64_t{k}) > lastSilent[p];
            current[p] = lanes::sign(values[k] - window / divisor[p]) & active;
        }
        Doubles daily[spansPerPass];
        for (int p = 0; p < spansPerPass; ++p) {
            daily[p] = lanes::pick(row, previous[p] * 3 + current[p] + 4);
            sums[p] += daily[p];
            previous[p] = current[p];
        }
        ledgerWindows.add(i, daily);
    }
    ledgerWindows.finish();
}

template void meanCrossingReturns(const PnlTable&, const LaneSeries&, Ints, int, int, Doubles (&)[spansPerPass],
                                  NoWindowSums&);
template void meanCrossingReturns(const PnlTable&, const LaneSeries&, Ints, int, int, Doubles (&)[spansPerPass],
                                  LaneWindowSums<spansPerPass>&);

}  // namespace varkel
