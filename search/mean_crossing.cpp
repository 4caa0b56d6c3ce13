// Compiled once per vector target (hwy/foreach_target.h); the functions at the
// end choose the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/mean_crossing.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/mean_crossing.h"
#include "search/trial_lanes-inl.h"
#include "search/window_sums-inl.h"

#include <algorithm>
#include <cfloat>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

void GrowWindows(LaneSeries& series, int newLength) {
    const LaneTag d;
    const int n = static_cast<int>(series.values.size());
    for (; series.length < newLength; ++series.length)
        for (int j = series.firstStart; j + series.length < n; ++j) {
            double* sum = series.windowSums[j].lane;
            const double* value = series.values[j + series.length].lane;
            for (int r = 0; r < parts; ++r) {
                const int at = r * lanesPerVector;
                hn::Store(hn::Add(hn::Load(d, sum + at), hn::Load(d, value + at)), d, sum + at);
            }
        }
}

// The sign of value - window / span as the study's mean gives it, mostly
// without the division, which costs more than the rest of the rule: with
// t = value * span and d = t - window (each rounded once), |d| > |window| * 2^-51
// (plus the least normal number, for underflow) leaves room for every rounding
// of t, d and window / span, so value - window / span has the sign of d.
// Near ties, zeros and non-finite values take the division itself.
HWY_INLINE LaneIntVec crossingSign(LaneVec value, LaneVec window, LaneVec span) {
    const LaneTag d;
    const LaneVec difference = hn::Sub(hn::Mul(value, span), window);
    const LaneVec margin = hn::Add(hn::Mul(hn::Abs(window), hn::Set(d, 0x1p-51)), hn::Set(d, DBL_MIN));
    if (hn::AllTrue(d, hn::Gt(hn::Abs(difference), margin))) return signOf(difference);
    return signOf(hn::Sub(value, hn::Div(window, span)));
}

// Final returns of spans span .. span+3 in one pass over the bars (four
// independent sums keep the adder busy). The windows of span + p bars ending at
// k extend windowSums[k - span + 1 - p] by the bars up to k, in the order of a
// plain loop, and the mean divides exactly as the study does.
template <class Windows>
HWY_INLINE void meanCrossingLoop(const PnlTable& table, const LaneSeries& series, const lanes::Ints& warmUp,
                                 int smallestWarmUp, int span, lanes::Doubles* sums, Windows& ledgerWindows) {
    const LaneTag d;
    const LaneIntTag di;
    LaneIntVec lastSilent[spansPerPass][parts], previous[spansPerPass][parts];
    LaneVec divisor[spansPerPass], sum[spansPerPass][parts];
    LaneIntVec warm[parts];
    loadLanes(warmUp, warm);
    for (int p = 0; p < spansPerPass; ++p) {
        divisor[p] = hn::Set(d, static_cast<double>(span + p));
        for (int r = 0; r < parts; ++r) {
            lastSilent[p][r] = hn::Add(warm[r], hn::Set(di, span + p));
            sum[p][r] = hn::Zero(d);
            previous[p][r] = hn::Zero(di);
        }
    }
    ledgerWindows.start();
    const int n = table.historyLength();
    const lanes::Doubles* values = series.values.data();
    const lanes::Doubles* windows = series.windowSums.data();
    for (int i = 1; i < n; ++i) {
        const int k = i - 1;  // the bar whose values decide bar i
        const RowPicker picker(table.row(i));
        const auto bar = hn::Set(di, k);
        LaneVec daily[spansPerPass][parts];
        for (int p = 0; p < spansPerPass; ++p) {
            // No lane is past its warm-up for this span yet (and its window
            // would start before the first bar).
            const bool silent = k <= smallestWarmUp + span + p;
            for (int r = 0; r < parts; ++r) {
                LaneIntVec current = hn::Zero(di);
                if (!silent) {
                    const int at = r * lanesPerVector;
                    LaneVec window = hn::Load(d, windows[k - span + 1 - p].lane + at);
                    for (int q = p; q > 0; --q) window = hn::Add(window, hn::Load(d, values[k - q + 1].lane + at));
                    const LaneVec value = hn::Load(d, values[k].lane + at);
                    current = hn::IfThenElseZero(hn::Gt(bar, lastSilent[p][r]), crossingSign(value, window, divisor[p]));
                }
                daily[p][r] = picker.pick(codeOf(previous[p][r], current));
                sum[p][r] = hn::Add(sum[p][r], daily[p][r]);
                previous[p][r] = current;
            }
        }
        ledgerWindows.add(i, daily);
    }
    ledgerWindows.finish();
    for (int p = 0; p < spansPerPass; ++p) storeLanes(sum[p], sums[p]);
}

void MeanCrossingReturns(const PnlTable& table, const LaneSeries& series, const lanes::Ints& warmUp,
                         int smallestWarmUp, int span, lanes::Doubles* sums,
                         LaneWindowSums<spansPerPass>* ledgerWindows) {
    if (ledgerWindows != nullptr) {
        WindowAdder<spansPerPass> adder(*ledgerWindows);
        meanCrossingLoop(table, series, warmUp, smallestWarmUp, span, sums, adder);
    } else {
        NoWindowAdder none;
        meanCrossingLoop(table, series, warmUp, smallestWarmUp, span, sums, none);
    }
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(GrowWindows);
HWY_EXPORT(MeanCrossingReturns);

void LaneSeries::resize(int n) {
    values.assign(static_cast<std::size_t>(n), lanes::Doubles{});
    windowSums.assign(static_cast<std::size_t>(n), lanes::Doubles{});
}

void LaneSeries::restartWindows(int start) {
    std::fill(windowSums.begin(), windowSums.end(), lanes::Doubles{});
    length = 0;
    firstStart = start;
}

void LaneSeries::growWindows(int newLength) { HWY_DYNAMIC_DISPATCH(GrowWindows)(*this, newLength); }

void meanCrossingReturns(const PnlTable& table, const LaneSeries& series, const lanes::Ints& warmUp,
                         int smallestWarmUp, int span, lanes::Doubles (&sums)[spansPerPass],
                         LaneWindowSums<spansPerPass>* ledgerWindows) {
    HWY_DYNAMIC_DISPATCH(MeanCrossingReturns)(table, series, warmUp, smallestWarmUp, span, sums, ledgerWindows);
}

}  // namespace varkel
#endif
