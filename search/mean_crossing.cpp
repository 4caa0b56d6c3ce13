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
#include <stdexcept>
#include <type_traits>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

// Window by window, each taking all its new bars in registers (one pass over
// the windows instead of one per bar); a window's additions stay in bar order.
// Four windows at a time where all four take every new bar, so that four
// independent chains of additions keep the adder busy.
void GrowWindows(LaneSeries& series, int newLength) {
    const LaneTag d;
    constexpr int chains = 4;
    const int n = static_cast<int>(series.values.size());
    const int from = series.length;
    if (from >= newLength) return;
    // Empty windows start from zero (their stored sums are stale).
    const auto start = [&](int window, int at) HWY_ATTR {
        return from == 0 ? hn::Zero(d) : hn::Load(d, series.windowSums[window].lane + at);
    };
    int j = series.firstStart;
    for (; j + chains - 1 + newLength <= n; j += chains)
        for (int r = 0; r < parts; ++r) {
            const int at = r * lanesPerVector;
            LaneVec grown[chains];
            for (int c = 0; c < chains; ++c) grown[c] = start(j + c, at);
            for (int bar = j + from; bar < j + newLength; ++bar)
                for (int c = 0; c < chains; ++c) grown[c] = hn::Add(grown[c], hn::Load(d, series.values[bar + c].lane + at));
            for (int c = 0; c < chains; ++c) hn::Store(grown[c], d, series.windowSums[j + c].lane + at);
        }
    for (; j + from < n; ++j) {
        const int end = std::min(j + newLength, n);
        for (int r = 0; r < parts; ++r) {
            const int at = r * lanesPerVector;
            LaneVec grown = start(j, at);
            for (int bar = j + from; bar < end; ++bar) grown = hn::Add(grown, hn::Load(d, series.values[bar].lane + at));
            hn::Store(grown, d, series.windowSums[j].lane + at);
        }
    }
    series.length = newLength;
}

// Each lane's largest size, NaN from a lane's first NaN on: a size that is
// not at most the largest replaces it unless that is NaN already. The
// outcome (the largest size, or NaN if there is any) does not depend on the
// order, so four running results over every fourth bar, merged by the same
// rule, keep four independent chains busy.
HWY_INLINE LaneVec largerSize(LaneVec largest, LaneVec size) {
    return hn::IfThenElse(hn::Or(hn::IsNaN(largest), hn::Le(size, largest)), largest, size);
}

void LargestSizes(LaneSeries& series) {
    const LaneTag d;
    constexpr int chains = 4;
    const int n = static_cast<int>(series.values.size());
    for (int r = 0; r < parts; ++r) {
        const int at = r * lanesPerVector;
        LaneVec largest[chains];
        for (LaneVec& chain : largest) chain = hn::Zero(d);
        int i = 0;
        for (; i + chains <= n; i += chains)
            for (int c = 0; c < chains; ++c)
                largest[c] = largerSize(largest[c], hn::Abs(hn::Load(d, series.values[i + c].lane + at)));
        for (; i < n; ++i) largest[0] = largerSize(largest[0], hn::Abs(hn::Load(d, series.values[i].lane + at)));
        for (int c = 1; c < chains; ++c) largest[0] = largerSize(largest[0], largest[c]);
        hn::Store(largest[0], d, series.largest.lane + at);
    }
}

// The sign of value - window / span as the study's mean gives it, mostly
// without the division, which costs more than the rest of the rule: with
// t = value * span and d = t - window (each rounded once), |d| > |window| * 2^-51
// (plus the least normal number, for underflow) leaves room for every rounding
// of t, d and window / span, so value - window / span has the sign of d. The
// loops test |d| against a bound of that margin that holds for every window of
// a lane (see crossingMargin); near ties, zeros and non-finite values take the
// division itself.
HWY_INLINE LaneIntVec exactCrossingCode(LaneVec value, LaneVec window, LaneVec span, LaneVec difference,
                                        bool clear) {
    const LaneTag d;
    const LaneVec exact = clear ? difference : hn::Sub(value, hn::Div(window, span));
    return codeOf(hn::Lt(exact, hn::Zero(d)), hn::Gt(exact, hn::Zero(d)));
}

// A margin at least |window| * 2^-51 + DBL_MIN for every window of `span`
// values of a lane whose values never exceed `largest` in size: such a sum,
// rounded at each step, stays below span * largest * 2, and the factor 2 also
// covers the rounding of the margin itself. NaN or infinite values give a
// margin that no difference passes.
HWY_INLINE LaneVec crossingMargin(LaneVec largest, int span) {
    const LaneTag d;
    return hn::Add(hn::Mul(hn::Mul(largest, hn::Set(d, span)), hn::Set(d, 0x1p-50)), hn::Set(d, 2 * DBL_MIN));
}

// Whether the settled bars carry yesterday's difference and pick moving
// lanes' entries by sign (MovingPicker) rather than by key (RowPicker): the
// kernel 12-15 % quicker on AVX2 (fewer operations and registers, no permute
// across 128-bit lanes), 2-3 % on AVX-512.
constexpr bool movingPick = VARKEL_MOVING_PICKER;

// A code, or a code as carried, as a difference of its sign: -1.0, 1.0 or 0.0 for flat.
HWY_INLINE LaneVec differenceOfCode(LaneIntVec code, bool asCarried) {
    const LaneTag d;
    const auto form = [&](std::int64_t position) HWY_ATTR {
        return asCarried ? carried(codeVector(position)) : codeVector(position);
    };
    return hn::IfThenElse(hn::RebindMask(d, hn::Eq(code, form(-1))), hn::Set(d, -1.0),
                          hn::IfThenElse(hn::RebindMask(d, hn::Eq(code, form(1))), hn::Set(d, 1.0), hn::Zero(d)));
}

// Final returns of spans span .. span + Spans - 1 in one pass over the bars
// for the lanes of register `r`, growing the windows by Spans bars on the way
// (up to four independent sums keep the adder busy, and one register's state
// fits the target's registers). The windows of span + p bars ending at k extend
// windowSums[k - span + 1 - p] by the bars up to k, in the order of a plain
// loop, and the mean divides exactly as the study does.
template <int Spans, class Windows>
HWY_INLINE void meanCrossingPart(const PnlTable& table, LaneSeries& series, int r, const lanes::Ints& warmUp,
                                 int smallestWarmUp, int span, lanes::Doubles* sums, Windows& ledgerWindows) {
    const LaneTag d;
    const LaneIntTag di;
    const int at = r * lanesPerVector;
    const int n = table.historyLength();
    const lanes::Doubles* values = series.values.data();
    lanes::Doubles* windows = series.windowSums.data();
    const LaneVec largest = hn::Load(d, series.largest.lane + at);

    const LaneIntVec warm = hn::Load(di, warmUp.lane + at);
    int latestWarmUp = smallestWarmUp;
    for (int lane = 0; lane < lanesPerVector; ++lane)
        latestWarmUp = std::max(latestWarmUp, static_cast<int>(warmUp.lane[at + lane]));

    // Yesterday's position code as carried (carryTripled).
    LaneIntVec lastSilent[Spans], previousCarried[Spans];
    LaneVec divisor[Spans], margin[Spans], sum[Spans];
    for (int p = 0; p < Spans; ++p) {
        divisor[p] = hn::Set(d, static_cast<double>(span + p));
        margin[p] = crossingMargin(largest, span + p);
        lastSilent[p] = hn::Add(warm, hn::Set(di, span + p));
        sum[p] = hn::Zero(d);
        previousCarried[p] = carried(flatCode());
    }
    // The window of span + p + 1 bars ending at bar k is the one of span + p
    // bars ending at k - 1 plus value k: the same additions in the same order.
    // Once every span reads its window, a bar loads only the shortest and
    // extends the shorter ones of the bar before.
    LaneVec yesterdays[spansPerPass - 1];
    for (LaneVec& window : yesterdays) window = hn::Zero(d);
    const auto settledWindows = [&](int k, LaneVec value, LaneVec (&window)[Spans]) HWY_ATTR {
        window[0] = hn::Load(d, windows[k - span + 1].lane + at);
        for (int p = 1; p < Spans; ++p) window[p] = hn::Add(yesterdays[p - 1], value);
        hn::Store(hn::Add(window[Spans - 1], hn::Load(d, values[k + 1].lane + at)), d,
                  windows[k - span + 2 - Spans].lane + at);
        for (int p = 0; p + 1 < Spans; ++p) yesterdays[p] = window[p];
    };

    // With movingPick the settled bars carry yesterday's difference instead of
    // its code: its sign for a moving lane, or differenceOfCode after the
    // exact comparison. A span with a flat lane yesterday cannot take the
    // moving pick: its margin is infinite until then, so that the one test
    // of the margin sends it to the exact comparison's pick.
    //
    // With 16 registers the moving lanes test d * d against the margin's
    // square instead of |d| against the margin, which frees the register of
    // the absolute value's mask (AVX2 2-3 % quicker without a ledger; AVX-512
    // 1 % slower). The test is as safe: rounding is monotone, so |d| <= m
    // gives d * d <= m * m as rounded, and d * d > m * m only where |d| > m.
    // Where rounding makes the squares equal although |d| > m, the bar takes
    // the exact comparison. An infinite or NaN margin still passes nothing.
    constexpr bool squaredMargins = sixteenRegisters;
    LaneVec previousDifference[Spans], movingMargin[Spans];
    const auto marginAfter = [&](int p, LaneIntVec code, LaneIntVec flat) HWY_ATTR {
        if (!hn::AllFalse(di, hn::Eq(code, flat))) return hn::Inf(d);
        return squaredMargins ? hn::Mul(margin[p], margin[p]) : margin[p];
    };
#if VARKEL_MOVING_PICKER
    const auto clearOfMovingMargin = [&](int p, LaneVec difference) HWY_ATTR {
        const LaneVec size = squaredMargins ? hn::Mul(difference, difference) : hn::Abs(difference);
        return hn::AllTrue(d, hn::Gt(size, movingMargin[p]));
    };
#endif
    const auto carryDifferences = [&]() HWY_ATTR {
        for (int p = 0; p < Spans; ++p) {
            previousDifference[p] = differenceOfCode(previousCarried[p], true);
            movingMargin[p] = marginAfter(p, previousCarried[p], carried(flatCode()));
        }
    };

    // Where the adder takes the bars in blocks, the sums too: the loop only
    // stores each bar's daily P&L (at `slot`), and nothing it adds to needs
    // a register of its own.
    constexpr bool inBlocks = Windows::takesBlocks;
    HWY_ALIGN double block[inBlocks ? ledgerBlockBars * Spans * lanesPerVector : 1];
    double* slot = block;

    // Bar k decides bar i = k + 1. Until every lane is past its warm-up, some
    // lanes stay flat; after that, a difference clear of its margin is never
    // zero, so the position is long or short by its sign alone.
    auto step = [&](auto warming, int i, auto& held) HWY_ATTR __attribute__((always_inline)) {
        const int k = i - 1;
        const RowPicker picker(table.row(i));
        const LaneVec value = hn::Load(d, values[k].lane + at);
        LaneVec daily[spansPerPass];
        for (int p = Spans; p < spansPerPass; ++p) daily[p] = hn::Zero(d);
        // With 16 registers each span's P&L goes to its sum (or the block)
        // as soon as the span has it: kept to the bar's end, the four spill
        // (no ledger: AVX2 6 %, SSE4 11 % quicker). With AVX-512's 32 the
        // end of the bar measured 1-2 % quicker.
        constexpr bool early = sixteenRegisters;
        const auto emit = [&](int p, LaneVec pnl) HWY_ATTR __attribute__((always_inline)) {
            daily[p] = pnl;
            if constexpr (early) {
                if constexpr (inBlocks)
                    hn::Store(pnl, d, slot + p * lanesPerVector);
                else
                    sum[p] = hn::Add(sum[p], pnl);
            }
        };
        // Unrolled, so that each span's state stays in registers.
        if constexpr (decltype(warming)::value) {
            HWY_UNROLL(4)
            for (int p = 0; p < Spans; ++p) {
                // No lane is past its warm-up for this span yet (and its
                // window would start before the first bar).
                if (k <= smallestWarmUp + span + p) {
                    emit(p, picker.pick(keyOfCarried(previousCarried[p], flatCode())));
                    previousCarried[p] = carried(flatCode());
                    continue;
                }
                LaneVec window = hn::Load(d, windows[k - span + 1 - p].lane + at);
                for (int q = p; q > 0; --q) window = hn::Add(window, hn::Load(d, values[k - q + 1].lane + at));
                // The longest window, one bar longer, is the next pass's
                // shortest; no later bar of this pass reads its start again.
                if (p == Spans - 1)
                    hn::Store(hn::Add(window, hn::Load(d, values[i].lane + at)), d, windows[k - span + 1 - p].lane + at);
                else
                    yesterdays[p] = window;
                const LaneVec difference = hn::Sub(hn::Mul(value, divisor[p]), window);
                const bool clear = hn::AllTrue(d, hn::Gt(hn::Abs(difference), margin[p]));
                LaneIntVec current = exactCrossingCode(value, window, divisor[p], difference, clear);
                current = hn::IfThenElse(hn::Gt(hn::Set(di, k), lastSilent[p]), current, flatCode());
                emit(p, picker.pick(keyOfCarried(previousCarried[p], current)));
                previousCarried[p] = carried(current);
            }
        } else if constexpr (movingPick) {
#if VARKEL_MOVING_PICKER
            const MovingPicker moving(table.movingRow(i));
            LaneVec window[Spans];
            settledWindows(k, value, window);
            HWY_UNROLL(4)
            for (int p = 0; p < Spans; ++p) {
                const LaneVec difference = hn::Sub(hn::Mul(value, divisor[p]), window[p]);
                if (HWY_LIKELY(clearOfMovingMargin(p, difference))) {
                    emit(p, moving.pick(previousDifference[p], difference));
                    previousDifference[p] = difference;
                    continue;
                }
                const LaneVec before = previousDifference[p];
                const LaneIntVec yesterday = codeOf(hn::Lt(before, hn::Zero(d)), hn::Gt(before, hn::Zero(d)));
                const bool clear = hn::AllTrue(d, hn::Gt(hn::Abs(difference), margin[p]));
                const LaneIntVec current = exactCrossingCode(value, window[p], divisor[p], difference, clear);
                // A picker of its own, built only here: the bar's `picker` kept
                // for this rare path would hold two registers through the hot one
                // (AVX2 15 % slower, measured).
                emit(p, RowPicker(table.row(i)).pick(keyOf(yesterday, current)));
                previousDifference[p] = differenceOfCode(current, false);
                movingMargin[p] = marginAfter(p, current, flatCode());
            }
#endif
        } else {
            LaneVec window[Spans], difference[Spans];
            settledWindows(k, value, window);
            // Sets span p's difference and tells whether all its lanes are
            // clear of the margin.
            const auto clearOf = [&](int p) HWY_ATTR {
                difference[p] = hn::Sub(hn::Mul(value, divisor[p]), window[p]);
                return hn::Gt(hn::Abs(difference[p]), margin[p]);
            };
            const auto follow = [&](int p) HWY_ATTR {
                emit(p, picker.pickMoving(keyOfCarried(previousCarried[p], codeOfSign(difference[p]))));
                previousCarried[p] = carriedCodeOfSign(difference[p]);
            };
            const auto divide = [&](int p) HWY_ATTR {
                const LaneIntVec current = exactCrossingCode(value, window[p], divisor[p], difference[p], false);
                emit(p, picker.pick(keyOfCarried(previousCarried[p], current)));
                previousCarried[p] = carried(current);
            };
            HWY_UNROLL(4)
            for (int p = 0; p < Spans; ++p) {
                if (HWY_LIKELY(hn::AllTrue(d, clearOf(p))))
                    follow(p);
                else
                    divide(p);
            }
        }
        if constexpr (inBlocks) {
            if constexpr (!early)
                for (int p = 0; p < Spans; ++p) hn::Store(daily[p], d, slot + p * lanesPerVector);
            slot += Spans * lanesPerVector;
        } else {
            if constexpr (!early)
                for (int p = 0; p < Spans; ++p) sum[p] = hn::Add(sum[p], daily[p]);
            ledgerWindows.add(held, daily);
        }
    };

    // Up to bar smallestWarmUp + span + 1 every lane of every span stays flat,
    // so those bars add the table's flat entry, exactly 0.0, to sums that start
    // at 0.0: the loop starts after them.
    const int settled = std::clamp(latestWarmUp + span + Spans + 1, 1, std::max(n, 1));
    const int firstMoving = std::clamp(smallestWarmUp + span + 2, 1, std::max(n, 1));
    // `step` and the loop over a segment are forced inline: left to GCC,
    // whether they become calls depends on what else the function holds, and
    // a call spills the loop's registers (the blocks 2.6x slower, measured).
    // The loop is written out for each case: through a shared lambda the
    // blocks measured 2-3 % slower.
    eachSegment<Spans>(ledgerWindows, firstMoving, n, [&](int from, int end, auto& held) HWY_ATTR __attribute__((always_inline)) {
        int i = from;
        if constexpr (inBlocks) {
            while (i < end) {
                const int blockEnd = std::min(end, i + ledgerBlockBars);
                const int count = blockEnd - i;
                slot = block;
                for (; i < std::min(blockEnd, settled); ++i) step(std::true_type{}, i, held);
                if (movingPick && i == settled && i < blockEnd) carryDifferences();
                for (; i < blockEnd; ++i) step(std::false_type{}, i, held);
                ledgerWindows.addBlock(sum, held, block, count);
            }
        } else {
            for (; i < std::min(end, settled); ++i) step(std::true_type{}, i, held);
            if (movingPick && i == settled && i < end) carryDifferences();
            for (; i < end; ++i) step(std::false_type{}, i, held);
        }
    });
    for (int p = 0; p < spansPerPass; ++p) hn::Store(p < Spans ? sum[p] : hn::Zero(d), d, sums[p].lane + at);
}

template <int Spans>
void meanCrossingSpans(const PnlTable& table, LaneSeries& series, const lanes::Ints& warmUp, int smallestWarmUp,
                       int span, lanes::Doubles* sums, LaneWindowSums<spansPerPass>* ledgerWindows) {
    eachPart(ledgerWindows, [&](int r, auto& adder) HWY_ATTR {
        meanCrossingPart<Spans>(table, series, r, warmUp, smallestWarmUp, span, sums, adder);
    });
}

void MeanCrossingReturns(const PnlTable& table, LaneSeries& series, const lanes::Ints& warmUp,
                         int smallestWarmUp, int span, int spans, lanes::Doubles* sums,
                         LaneWindowSums<spansPerPass>* ledgerWindows) {
    static_assert(spansPerPass == 4, "one case per count of spans");
    switch (spans) {
        case 1: return meanCrossingSpans<1>(table, series, warmUp, smallestWarmUp, span, sums, ledgerWindows);
        case 2: return meanCrossingSpans<2>(table, series, warmUp, smallestWarmUp, span, sums, ledgerWindows);
        case 3: return meanCrossingSpans<3>(table, series, warmUp, smallestWarmUp, span, sums, ledgerWindows);
        default: return meanCrossingSpans<4>(table, series, warmUp, smallestWarmUp, span, sums, ledgerWindows);
    }
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(GrowWindows);
HWY_EXPORT(LargestSizes);
HWY_EXPORT(MeanCrossingReturns);

void LaneSeries::resize(int n) {
    values.assign(static_cast<std::size_t>(n), lanes::Doubles{});
    windowSums.assign(static_cast<std::size_t>(n), lanes::Doubles{});
}

void LaneSeries::restartWindows(int start) {
    length = 0;
    firstStart = start;
    HWY_DYNAMIC_DISPATCH(LargestSizes)(*this);
}

void LaneSeries::growWindows(int newLength) { HWY_DYNAMIC_DISPATCH(GrowWindows)(*this, newLength); }

void meanCrossingReturns(const PnlTable& table, LaneSeries& series, const lanes::Ints& warmUp,
                         int smallestWarmUp, int span, int spans, lanes::Doubles (&sums)[spansPerPass],
                         LaneWindowSums<spansPerPass>* ledgerWindows) {
    if (series.length > span) throw std::invalid_argument("mean crossing: the windows are longer than the span");
    if (spans < 1 || spans > spansPerPass) throw std::invalid_argument("mean crossing: one to four spans per pass");
    series.growWindows(span);
    HWY_DYNAMIC_DISPATCH(MeanCrossingReturns)(table, series, warmUp, smallestWarmUp, span, spans, sums, ledgerWindows);
    // Windows that start before smallestWarmUp + 2 are never read and did not grow.
    series.length = span + spans;
    series.firstStart = std::max(series.firstStart, smallestWarmUp + 2);
}

}  // namespace varkel
#endif
