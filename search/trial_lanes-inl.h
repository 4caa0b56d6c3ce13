// The eight lanes of trial_lanes.h in the vector registers of one target.
// Included once per target by the files that build their loops through
// hwy/foreach_target.h, hence the toggled guard instead of `#pragma once`.
//
// Every operation here is exact or IEEE-rounded the same way on every target
// (additions, comparisons, divisions, picking a table entry): a lane gives
// the same bits on SSE4, AVX2 or AVX-512. Nothing fuses a multiply with an add.
// All of it is inlined into the one function per target that a search calls,
// so no vector crosses a call.

#if defined(VARKEL_SEARCH_TRIAL_LANES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VARKEL_SEARCH_TRIAL_LANES_INL_H_
#undef VARKEL_SEARCH_TRIAL_LANES_INL_H_
#else
#define VARKEL_SEARCH_TRIAL_LANES_INL_H_
#endif

#include "search/pnl_table.h"
#include "search/trial_lanes.h"
#include "search/window_sums.h"

#include <algorithm>

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

// Positions travel through the loops as codes: yesterday's code tripled plus
// today's gives the key of the table entry of (yesterday, today). Each target
// chooses the codes its picker reads fastest.
#if HWY_TARGET == HWY_AVX2
// AVX2 permutes 32-bit words, four doubles per register, so the key carries
// the words' indices itself. With t = 3p + q (-4 .. 4), the key t * codeStep +
// 4 * codeBase holds 2t + 8 in its low word and 2t + 9 in its high one (the
// word pair of double t mod 4), and its sign bit is set exactly when t < 0: it
// chooses between the register of t = -4 .. -1 and the one of t = 1 .. 4.
// t = 0, flat on both days, would read t = 4's entry and is zeroed instead.
constexpr std::int64_t codeStep = 2 + (std::int64_t{1} << 33) + (std::int64_t{1} << 60);
constexpr std::int64_t codeBase = 2 + (std::int64_t{9} << 30);
#else
// Keys 0 .. 8 index the table row directly.
constexpr std::int64_t codeStep = 1;
constexpr std::int64_t codeBase = 1;
#endif
constexpr std::int64_t flatKey = 4 * codeBase;

HWY_INLINE LaneIntVec codeVector(std::int64_t position) {
    return hn::Set(LaneIntTag(), position * codeStep + codeBase);
}
HWY_INLINE LaneIntVec flatCode() { return codeVector(0); }

// Short where `negative`, long where `positive` (never both), else flat.
template <class Mask>
HWY_INLINE LaneIntVec codeOf(Mask negative, Mask positive) {
    const LaneIntTag di;
    return hn::IfThenElse(hn::RebindMask(di, negative), codeVector(-1),
                          hn::IfThenElse(hn::RebindMask(di, positive), codeVector(1), flatCode()));
}

// Long or short by the sign bit of d, for a d known to be neither zero nor NaN.
HWY_INLINE LaneIntVec codeOfSign(LaneVec d) {
    return hn::IfNegativeThenElse(hn::BitCast(LaneIntTag(), d), codeVector(-1), codeVector(1));
}

HWY_INLINE LaneIntVec tripled(LaneIntVec code) { return hn::Add(hn::Add(code, code), code); }

HWY_INLINE LaneIntVec keyOf(LaneIntVec yesterday, LaneIntVec today) { return hn::Add(tripled(yesterday), today); }

// With AVX-512's 32 registers a loop can carry yesterday's code tripled and
// save the tripling on every bar (about 3 % of the mean-crossing kernel). On
// the 16 registers of AVX2 and SSE4 the tripled codes' constants crowd out
// the loop's state (the same kernel 12 % slower), so there yesterday's code
// is carried as it is and tripled at each bar. The key is the same integer
// either way: the codes add modulo 2^64 in any order.
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
constexpr bool carryTripled = true;
#else
constexpr bool carryTripled = false;
#endif

// Whether the target has 16 vector registers (AVX2, SSE4, ...) rather than
// AVX-512's 32: there a loop's own state fills them, and a value it keeps for
// later spills.
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
constexpr bool sixteenRegisters = false;
#else
constexpr bool sixteenRegisters = true;
#endif

// Yesterday's code as the loop carries it.
HWY_INLINE LaneIntVec carried(LaneIntVec code) { return carryTripled ? tripled(code) : code; }

HWY_INLINE LaneIntVec keyOfCarried(LaneIntVec yesterdayCarried, LaneIntVec today) {
    return carryTripled ? hn::Add(yesterdayCarried, today) : keyOf(yesterdayCarried, today);
}

// carried(codeOfSign(d)), in one choice.
HWY_INLINE LaneIntVec carriedCodeOfSign(LaneVec d) {
    const LaneIntTag di;
    // Tripled in unsigned arithmetic: a code may wrap around (those of
    // AVX2 do), as the vector additions do.
    const auto carriedCode = [](std::int64_t position) {
        const std::uint64_t code = static_cast<std::uint64_t>(position * codeStep + codeBase);
        return static_cast<std::int64_t>(carryTripled ? 3 * code : code);
    };
    return hn::IfNegativeThenElse(hn::BitCast(di, d), hn::Set(di, carriedCode(-1)), hn::Set(di, carriedCode(1)));
}

template <int Count>
HWY_INLINE bool allFlat(const LaneIntVec (&keys)[Count]) {
    const LaneIntTag di;
    auto flat = hn::Eq(keys[0], hn::Set(di, flatKey));
    for (int k = 1; k < Count; ++k) flat = hn::And(flat, hn::Eq(keys[k], hn::Set(di, flatKey)));
    return hn::AllTrue(di, flat);
}

// The P&L table row of one bar, read once for all the lanes of the bar:
// pick(key) gives the entry of each lane's key.
class RowPicker {
public:
    explicit RowPicker(const double* row) : row_(row) {
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
        low_ = hn::LoadU(LaneTag(), row);
        high_ = hn::LoadU(LaneTag(), row + 8);
#elif HWY_TARGET == HWY_AVX2
        // Entries of t = -4 .. -1 are 0 .. 3; those of t = 4, 1, 2, 3 are 8, 5, 6, 7.
        low_ = hn::LoadU(LaneTag(), row);
        high_ = LaneVec{_mm256_blend_pd(_mm256_loadu_pd(row + 4), _mm256_broadcast_sd(row + 8), 1)};
#endif
    }

    // For lanes whose position today is long or short.
    HWY_INLINE LaneVec pickMoving(LaneIntVec key) const {
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
        // One permute across the two registers that hold entries 0 .. 15.
        return LaneVec{_mm512_permutex2var_pd(low_.raw, key.raw, high_.raw)};
#elif HWY_TARGET == HWY_AVX2
        const LaneTag d;
        const hn::Indices256<double> words{key.raw};
        return hn::IfNegativeThenElse(hn::BitCast(d, key), hn::TableLookupLanes(low_, words),
                                      hn::TableLookupLanes(high_, words));
#else
        return hn::GatherIndex(LaneTag(), row_, key);
#endif
    }

    HWY_INLINE LaneVec pick(LaneIntVec key) const {
#if HWY_TARGET == HWY_AVX2
        const LaneTag d;
        return hn::IfThenZeroElse(hn::RebindMask(d, hn::Eq(key, hn::Set(LaneIntTag(), flatKey))), pickMoving(key));
#else
        return pickMoving(key);
#endif
    }

private:
    const double* row_;
    LaneVec low_ = hn::Zero(LaneTag()), high_ = hn::Zero(LaneTag());
};

// Whether the target has MovingPicker (in-lane permutes by a variable index).
#undef VARKEL_MOVING_PICKER
#if HWY_TARGET == HWY_AVX2 || HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
#define VARKEL_MOVING_PICKER 1
#else
#define VARKEL_MOVING_PICKER 0
#endif

#if VARKEL_MOVING_PICKER
// The P&L table row of one bar for lanes that are long or short on both days,
// picked by two signs instead of a key: today's chooses within the pair of
// yesterday's position (one in-lane permute per pair), yesterday's the pair
// (one blend). Fewer operations than the key and RowPicker, none of them
// across 128-bit lanes, and no code constants in the registers.
class MovingPicker {
public:
#if HWY_TARGET == HWY_AVX2
    explicit MovingPicker(const double* movingRow)
        : yesterdayLong_(LaneVec{_mm256_broadcast_pd(reinterpret_cast<const __m128d*>(movingRow))}),
          yesterdayShort_(LaneVec{_mm256_broadcast_pd(reinterpret_cast<const __m128d*>(movingRow + 2))}) {}
#else
    explicit MovingPicker(const double* movingRow)
        : yesterdayLong_(LaneVec{_mm512_broadcast_f64x2(_mm_loadu_pd(movingRow))}),
          yesterdayShort_(LaneVec{_mm512_broadcast_f64x2(_mm_loadu_pd(movingRow + 2))}) {}
#endif

    // Short where the sign bit of `today` (`yesterday`) is set, long where not.
    HWY_INLINE LaneVec pick(LaneVec yesterday, LaneVec today) const {
        // vpermilpd reads bit 1 of each index: the sign bit shifted there.
        const hn::RebindToUnsigned<LaneTag> du;
        const auto within = hn::ShiftRight<62>(hn::BitCast(du, today));
#if HWY_TARGET == HWY_AVX2
        return LaneVec{_mm256_blendv_pd(_mm256_permutevar_pd(yesterdayLong_.raw, within.raw),
                                        _mm256_permutevar_pd(yesterdayShort_.raw, within.raw), yesterday.raw)};
#else
        return LaneVec{_mm512_mask_blend_pd(_mm512_movepi64_mask(_mm512_castpd_si512(yesterday.raw)),
                                            _mm512_permutevar_pd(yesterdayLong_.raw, within.raw),
                                            _mm512_permutevar_pd(yesterdayShort_.raw, within.raw))};
#endif
    }

private:
    LaneVec yesterdayLong_, yesterdayShort_;
};
#endif

// A ledger's adders (window_sums-inl.h) take a pass's bars in segments, so
// that what they add to stays in the kernel's own registers between two
// boundaries of the plan, instead of in the adder, where every bar would store
// it back to memory:
//
//   adder.start();
//   for (int bar = first; bar < n;) {
//       const int end = adder.reach(bar, n);   // crosses the boundaries up to bar
//       auto held = adder.template hold<Used>();
//       for (; bar < end; ++bar) adder.add(held, daily P&L of bar);
//       adder.release(held);
//   }
//   adder.finish();
//
// eachSegment runs that loop. A pass adds only its first Used channels (a
// pass of fewer spans than channels); the others keep their zero sums. An
// adder whose takesBlocks is set may instead take a segment's bars a block
// at a time, adder.addBlock(sum, held, block, count), which also adds them
// to the final returns `sum` (see window_sums-inl.h).

// Runs segment(from, end, held) for the segments of bars first .. n-1 in
// order, with the registers the adder holds through each. Bars before `first`
// (at least 1) must add exactly 0.0 everywhere: the sums they would take stay
// 0.0.
template <int Used, class Adder, class Segment>
HWY_INLINE void eachSegment(Adder& adder, int first, int n, Segment&& segment) {
    adder.start();
    for (int bar = first; bar < n;) {
        const int end = adder.reach(bar, n);
        auto held = adder.template hold<Used>();
        segment(bar, end, held);
        adder.release(held);
        bar = end;
    }
    adder.finish();
}

// A block of bars' daily P&L holds, bar after bar, the Used channels of a
// pass, a register of lanes each: where bar b's channel c sits.
template <int Used>
HWY_INLINE const double* blockLanes(const double* block, int b, int c) {
    return block + (b * Used + c) * lanesPerVector;
}

// For searches that record nothing: adds nothing, so the loops compile as if
// it were not there (one segment of every bar).
struct NoWindowAdder {
    template <int Used>
    struct Held {};
    static constexpr bool takesBlocks = false;
    void start() {}
    int reach(int, int n) { return n; }
    template <int Used>
    Held<Used> hold() {
        return {};
    }
    template <int Used, int Channels>
    void add(Held<Used>&, const LaneVec (&)[Channels]) {}
    template <int Used>
    void release(const Held<Used>&) {}
    void finish() {}
};

// The final returns of `Channels` groups of eight trials, for the lanes of
// register r, whose position codes `positions.at(i, r, out)` gives for every
// bar i = 0 .. n-1: the sum, in bar order, of each bar's table entry for
// (yesterday's position, today's position). Each bar's daily P&L also goes to
// `windows` (window_sums-inl.h), which may record nothing. With `skipFlat`,
// bars where every lane stays flat add nothing anywhere: a gain for rules that
// are mostly flat, a loss (a branch it cannot predict) for rules that trade
// often.
template <bool skipFlat, int Channels, class Positions, class Windows>
HWY_INLINE void finalReturnsOfPart(const PnlTable& table, const Positions& positions, int r, Windows& windows,
                                   lanes::Doubles* sums) {
    const LaneTag d;
    LaneVec sum[Channels];
    LaneIntVec previous[Channels];
    for (int c = 0; c < Channels; ++c) sum[c] = hn::Zero(d);
    positions.at(0, r, previous);
    // Bar i's daily P&L, unless it is a bar to skip.
    const auto dailyOf = [&](int i, LaneVec (&daily)[Channels]) HWY_ATTR __attribute__((always_inline)) {
        LaneIntVec current[Channels], key[Channels];
        positions.at(i, r, current);
        for (int c = 0; c < Channels; ++c) {
            key[c] = keyOf(previous[c], current[c]);
            previous[c] = current[c];
        }
        if (skipFlat && allFlat(key)) return false;
        const RowPicker picker(table.row(i));
        for (int c = 0; c < Channels; ++c) daily[c] = picker.pick(key[c]);
        return true;
    };
    // Bars left out take no place in a block.
    HWY_ALIGN double block[Windows::takesBlocks ? ledgerBlockBars * Channels * lanesPerVector : 1];
    eachSegment<Channels>(windows, 1, table.historyLength(), [&](int from, int end, auto& held) HWY_ATTR {
        if constexpr (Windows::takesBlocks) {
            for (int first = from; first < end; first += ledgerBlockBars) {
                double* slot = block;
                for (int i = first; i < std::min(end, first + ledgerBlockBars); ++i) {
                    LaneVec daily[Channels];
                    if (!dailyOf(i, daily)) continue;
                    for (int c = 0; c < Channels; ++c) hn::Store(daily[c], d, slot + c * lanesPerVector);
                    slot += Channels * lanesPerVector;
                }
                windows.addBlock(sum, held, block, static_cast<int>((slot - block) / (Channels * lanesPerVector)));
            }
        } else {
            for (int i = from; i < end; ++i) {
                LaneVec daily[Channels];
                if (!dailyOf(i, daily)) continue;
                for (int c = 0; c < Channels; ++c) sum[c] = hn::Add(sum[c], daily[c]);
                windows.add(held, daily);
            }
        }
    });
    for (int c = 0; c < Channels; ++c) hn::Store(sum[c], d, sums[c].lane + r * lanesPerVector);
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
