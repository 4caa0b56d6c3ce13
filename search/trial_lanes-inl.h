// The eight lanes of trial_lanes.h in the vector registers of one target.
// Included once per target by the files that build their loops through
// hwy/foreach_target.h, hence the toggled guard instead of `#pragma once`.
//
// Every operation here is exact or IEEE-rounded the same way on every target
// (additions, comparisons, divisions, picking a table entry): a lane gives
// the same bits on SSE4, AVX2 or AVX-512. Nothing fuses a multiply with an add.
// All of it is inlined into the one function per target that a search calls,
// so no vector crosses a call.

#if defined(VARKEL_MODEL_TRIAL_LANES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VARKEL_MODEL_TRIAL_LANES_INL_H_
#undef VARKEL_MODEL_TRIAL_LANES_INL_H_
#else
#define VARKEL_MODEL_TRIAL_LANES_INL_H_
#endif

#include "search/pnl_table.h"
#include "search/trial_lanes.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

using LaneTag = hn::ScalableTag<double>;
using LaneIntTag = hn::RebindToSigned<LaneTag>;
using LaneVec = hn::Vec<LaneTag>;
using LaneIntVec = hn::Vec<LaneIntTag>;

// The eight lanes take `parts` registers of `lanesPerVector` each.
constexpr int lanesPerVector = static_cast<int>(hn::MaxLanes(LaneTag()));
constexpr int parts = lanes::width / lanesPerVector;
static_assert(parts * lanesPerVector == lanes::width, "eight lanes fill whole registers");

using LaneVecs = LaneVec[parts];
using LaneIntVecs = LaneIntVec[parts];

HWY_INLINE void loadLanes(const lanes::Doubles& from, LaneVecs& to) {
    for (int r = 0; r < parts; ++r) to[r] = hn::Load(LaneTag(), from.lane + r * lanesPerVector);
}

HWY_INLINE void loadLanes(const lanes::Ints& from, LaneIntVecs& to) {
    for (int r = 0; r < parts; ++r) to[r] = hn::Load(LaneIntTag(), from.lane + r * lanesPerVector);
}

HWY_INLINE void storeLanes(const LaneVecs& from, lanes::Doubles& to) {
    for (int r = 0; r < parts; ++r) hn::Store(from[r], LaneTag(), to.lane + r * lanesPerVector);
}

// -1, 0 or +1 by the sign of d (0 for exactly 0 and for NaN). A true mask is
// all ones, -1 as an integer.
HWY_INLINE LaneIntVec signOf(LaneVec d) {
    const LaneTag df;
    const LaneIntTag di;
    const auto below = hn::RebindMask(di, hn::Lt(d, hn::Zero(df)));
    const auto above = hn::RebindMask(di, hn::Gt(d, hn::Zero(df)));
    return hn::Sub(hn::VecFromMask(di, below), hn::VecFromMask(di, above));
}

// Position -1 where `negative`, +1 where `positive` (never both), else 0.
template <class Mask>
HWY_INLINE LaneIntVec positionOf(Mask negative, Mask positive) {
    const LaneIntTag di;
    return hn::IfThenElse(negative, hn::Set(di, -1), hn::IfThenElseZero(positive, hn::Set(di, 1)));
}

// The P&L table row of one bar, read once for all the lanes of the bar:
// pick(code) gives row[code] (codes 0 .. 8) in every lane.
class RowPicker {
public:
    explicit RowPicker(const double* row) : row_(row) {
        const LaneTag d;
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
        low_ = hn::LoadU(d, row);
        high_ = hn::LoadU(d, row + 8);
#else
        if constexpr (lanesPerVector == 4) {
            low_ = hn::LoadU(d, row);
            middle_ = hn::LoadU(d, row + 4);
            last_ = hn::Set(d, row[8]);
        }
#endif
    }

    HWY_INLINE LaneVec pick(LaneIntVec code) const {
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
        // One permute across the two registers that hold entries 0 .. 15.
        return LaneVec{_mm512_permutex2var_pd(low_.raw, code.raw, high_.raw)};
#else
        const LaneTag d;
        if constexpr (lanesPerVector == 4) {
            const LaneIntTag di;
            const auto index = hn::IndicesFromVec(d, hn::And(code, hn::Set(di, 3)));
            const LaneVec first = hn::TableLookupLanes(low_, index);
            const LaneVec second = hn::TableLookupLanes(middle_, index);
            const LaneVec upTo7 = hn::IfThenElse(hn::RebindMask(d, hn::Gt(code, hn::Set(di, 3))), second, first);
            return hn::IfThenElse(hn::RebindMask(d, hn::Eq(code, hn::Set(di, 8))), last_, upTo7);
        } else {
            return hn::GatherIndex(d, row_, code);
        }
#endif
    }

private:
    const double* row_;
    LaneVec low_ = hn::Zero(LaneTag()), middle_ = hn::Zero(LaneTag()), high_ = hn::Zero(LaneTag()),
            last_ = hn::Zero(LaneTag());
};

// The table code of (yesterday's position, today's position).
HWY_INLINE LaneIntVec codeOf(LaneIntVec previous, LaneIntVec current) {
    const LaneIntTag di;
    return hn::Add(hn::Add(hn::Add(previous, previous), hn::Add(previous, current)), hn::Set(di, 4));
}

// For searches that record nothing: adds nothing, so the loops compile as if
// it were not there.
struct NoWindowAdder {
    void start() {}
    template <int Channels>
    void add(int, const LaneVec (&)[Channels][parts]) {}
    void finish() {}
};

// True when every lane is flat yesterday and today: the bar's entry is then
// exactly 0.0 in every lane, and adding it changes no sum (a sum that starts
// at +0.0 never becomes -0.0), so the bar can be left out.
HWY_INLINE bool allFlat(const LaneIntVecs& previous, const LaneIntVecs& current) {
    const LaneIntTag di;
    LaneIntVec any = hn::Or(previous[0], current[0]);
    for (int r = 1; r < parts; ++r) any = hn::Or(any, hn::Or(previous[r], current[r]));
    return hn::AllTrue(di, hn::Eq(any, hn::Zero(di)));
}

// The final return of eight trials whose positions `positions.at(i, out)`
// gives for every bar i = 0 .. n-1: the sum, in bar order, of each bar's table
// entry for (yesterday's position, today's position). Each bar's daily P&L
// also goes to `windows` (window_sums-inl.h), which may record nothing. With
// `skipFlat`, bars where every lane stays flat add nothing anywhere: a gain
// for rules that are mostly flat, a loss (a branch it cannot predict) for
// rules that trade often.
template <bool skipFlat, class Positions, class Windows>
HWY_INLINE void finalReturns(const PnlTable& table, const Positions& positions, Windows& windows,
                             lanes::Doubles& result) {
    const LaneTag d;
    LaneVec sum[parts];
    LaneIntVec previous[parts];
    for (int r = 0; r < parts; ++r) sum[r] = hn::Zero(d);
    windows.start();
    positions.at(0, previous);
    const int n = table.historyLength();
    for (int i = 1; i < n; ++i) {
        LaneIntVec current[parts];
        positions.at(i, current);
        if (skipFlat && allFlat(previous, current)) continue;
        const RowPicker picker(table.row(i));
        LaneVec daily[1][parts];
        for (int r = 0; r < parts; ++r) {
            daily[0][r] = picker.pick(codeOf(previous[r], current[r]));
            sum[r] = hn::Add(sum[r], daily[0][r]);
            previous[r] = current[r];
        }
        windows.add(i, daily);
    }
    windows.finish();
    storeLanes(sum, result);
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
