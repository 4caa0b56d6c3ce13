// The vector side of window_sums.h: adds each bar's daily P&L of eight lanes
// (per channel) to the running sums that take the bar, keeping the sums of
// squares in registers through each segment of bars (and a running sum too,
// while it is the only one that takes the bars). On targets with 16 vector
// registers, and where several running sums take the bars, the loops hand
// over their bars a block at a time instead. Included once per target (see
// trial_lanes-inl.h).

#if defined(VARKEL_SEARCH_WINDOW_SUMS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#undef VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#else
#define VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#endif

#include "search/trial_lanes-inl.h"
#include "search/window_sums.h"

#include <algorithm>
#include <cstddef>
#include <span>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

// Where a pass's lanes sit in the sums: register `part` of each channel's
// lanes (a pass takes one register's lanes; passes over the others follow).
HWY_INLINE double* laneOf(lanes::Doubles& values, int part) {
    return values.lane + part * lanesPerVector;
}

// The sums of squares of the channels a pass uses (the first Used), kept in
// registers through a segment of bars and in the window sums between them;
// nothing when the ledger takes no squares.
template <int Used>
struct SquareSums {
    LaneVec sum[Used];
    bool on;

    template <int Channels>
    HWY_INLINE void load(LaneWindowSums<Channels>& sums, int part) {
        on = sums.withSquares();
        if (!on) return;
        for (int c = 0; c < Used; ++c) sum[c] = hn::Load(LaneTag(), laneOf(sums.squares(c), part));
    }
    template <int Channels>
    HWY_INLINE void add(const LaneVec (&daily)[Channels]) {
        if (!on) return;
        for (int c = 0; c < Used; ++c) sum[c] = hn::Add(sum[c], hn::Mul(daily[c], daily[c]));
    }
    template <int Channels>
    HWY_INLINE void store(LaneWindowSums<Channels>& sums, int part) const {
        if (!on) return;
        for (int c = 0; c < Used; ++c) hn::Store(sum[c], LaneTag(), laneOf(sums.squares(c), part));
    }
};

// Adds the first `count` bars of `block` (per bar, the first Used channels),
// in bar order, to the running sums sums[0 .. Sums-1] of the lanes of
// register `part`, each sum in a register over the block.
template <int Sums, int Used, int Channels>
HWY_INLINE void addBlockToSums(LaneWindowSums<Channels>& windowSums, const int* sums, const double* block, int count,
                               int part) {
    double* at[Sums][Used];
    LaneVec total[Sums][Used];
    for (int s = 0; s < Sums; ++s)
        for (int c = 0; c < Used; ++c) {
            at[s][c] = laneOf(windowSums.running(sums[s], c), part);
            total[s][c] = hn::Load(LaneTag(), at[s][c]);
        }
    for (int b = 0; b < count; ++b)
        for (int c = 0; c < Used; ++c) {
            const LaneVec daily = hn::Load(LaneTag(), blockLanes<Used>(block, b, c));
            for (int s = 0; s < Sums; ++s) total[s][c] = hn::Add(total[s][c], daily);
        }
    for (int s = 0; s < Sums; ++s)
        for (int c = 0; c < Used; ++c) hn::Store(total[s][c], LaneTag(), at[s][c]);
}

// The block to every running sum that takes its bars, two sums at a time
// (twice the independent additions per bar). Out of line: several sums at
// once (the overlapping train windows of a walk-forward) are the rare case.
template <int Used, int Channels>
HWY_NOINLINE void addBlockToActiveSums(LaneWindowSums<Channels>& windowSums, const double* block, int count, int part) {
    const std::span<const int> active = windowSums.active();
    std::size_t k = 0;
    for (; k + 2 <= active.size(); k += 2) addBlockToSums<2, Used>(windowSums, &active[k], block, count, part);
    if (k < active.size()) addBlockToSums<1, Used>(windowSums, &active[k], block, count, part);
}

// With 16 vector registers a loop's own state fills the registers, and the
// sums a ledger adds each bar to spill beside it: a load and a store per bar
// and sum, chained through memory from bar to bar. There the loops instead
// store each bar's daily P&L in a block of ledgerBlockBars bars and hand the
// block to addBlock, whose loop holds each sum in a register, every sum
// still in bar order from 0.0. Measured on AVX2: the MACD search with a
// ledger of disjoint blocks 6-10 % quicker than with the sums held beside the
// state, and the walk-forwards 10-12 % quicker than with the bars gathered
// only where several sums take them; SSE4 no slower. AVX-512's 32 registers
// hold a lone running sum and the squares beside the state (blocks made the
// MACD search with a ledger of disjoint blocks 5 % slower there), but not
// the several running sums of overlapping windows (with blocks the MACD
// search with the rolling train windows of a walk-forward 22 % quicker).
HWY_INLINE bool addInBlocks(bool sumsOverlap) { return sixteenRegisters || sumsOverlap; }

// The adder of every plan (see eachSegment in trial_lanes-inl.h), taking the
// bars one by one or, with `Blocks`, a block at a time. It takes the lanes
// of register `part` of each bar; passes over the other registers may follow
// with their own adder.
template <int Channels, bool Blocks>
class WindowAdder {
public:
    // A lone active running sum stays in registers through the segment.
    // Several at once take their bars only in blocks (see eachPart).
    template <int Used>
    struct Held {
        SquareSums<Used> squares;
        LaneVec running[Used];
        bool lone;
    };

    WindowAdder(LaneWindowSums<Channels>& sums, int part) : sums_(sums), part_(part) {}

    void start() { sums_.start(part_ * lanesPerVector, lanesPerVector); }

    // The end of the segment from `bar`, once the boundaries up to it are crossed.
    int reach(int bar, int n) {
        sums_.reach(bar);
        return std::min(sums_.nextBoundary(), n);
    }

    template <int Used>
    HWY_INLINE Held<Used> hold() {
        Held<Used> held;
        held.squares.load(sums_, part_);
        held.lone = sums_.active().size() == 1;
        for (int c = 0; c < Used; ++c) held.running[c] = held.lone ? hn::Load(LaneTag(), lone(c)) : hn::Zero(LaneTag());
        return held;
    }

    // One bar, without blocks: at most one running sum takes it.
    template <int Used>
    HWY_INLINE void add(Held<Used>& held, const LaneVec (&daily)[Channels]) {
        held.squares.add(daily);
        if (!held.lone) return;
        for (int c = 0; c < Used; ++c) held.running[c] = hn::Add(held.running[c], daily[c]);
    }

    static constexpr bool takesBlocks = Blocks;

    // Instead of add, bar by bar: the daily P&L of `count` bars of a block
    // (see blockLanes), added in bar order to the final returns `sum` and to
    // the sums the adder holds. One loop for the final returns, the squares
    // and a lone running sum: each is a chain of additions from bar to bar,
    // and only side by side do the chains keep the adder busy (a loop for
    // each waited on every addition: the MACD search with a ledger of
    // disjoint blocks 10 % slower on AVX2, 8 % on SSE4). Several running
    // sums take the block in loops of their own.
    template <int Used>
    HWY_INLINE void addBlock(LaneVec (&sum)[Used], Held<Used>& held, const double* block, int count) {
        const bool squares = held.squares.on;
        if (held.lone) {
            if (squares)
                addSideBySide<true, true>(sum, held, block, count);
            else
                addSideBySide<false, true>(sum, held, block, count);
            return;
        }
        if (squares)
            addSideBySide<true, false>(sum, held, block, count);
        else
            addSideBySide<false, false>(sum, held, block, count);
        addBlockToActiveSums<Used>(sums_, block, count, part_);
    }

    template <int Used>
    HWY_INLINE void release(const Held<Used>& held) {
        held.squares.store(sums_, part_);
        if (!held.lone) return;
        for (int c = 0; c < Used; ++c) hn::Store(held.running[c], LaneTag(), lone(c));
    }

    void finish() { sums_.finish(); }

private:
    template <bool Squares, bool Lone, int Used>
    static HWY_INLINE void addSideBySide(LaneVec (&sum)[Used], Held<Used>& held, const double* block, int count) {
        for (int b = 0; b < count; ++b)
            for (int c = 0; c < Used; ++c) {
                const LaneVec daily = hn::Load(LaneTag(), blockLanes<Used>(block, b, c));
                sum[c] = hn::Add(sum[c], daily);
                if constexpr (Squares) held.squares.sum[c] = hn::Add(held.squares.sum[c], hn::Mul(daily, daily));
                if constexpr (Lone) held.running[c] = hn::Add(held.running[c], daily);
            }
    }

    double* lone(int channel) { return laneOf(sums_.running(sums_.active()[0], channel), part_); }

    LaneWindowSums<Channels>& sums_;
    int part_;
};

// Runs pass(r, adder) for each register r of the lanes in turn, so that one
// register's state stays in the target's registers for the whole pass, with
// an adder that records into `ledgerWindows`, or nothing when there are none.
template <int Channels, class Pass>
HWY_INLINE void eachPart(LaneWindowSums<Channels>* ledgerWindows, Pass&& pass) {
    for (int r = 0; r < parts; ++r) {
        if (ledgerWindows == nullptr) {
            NoWindowAdder none;
            pass(r, none);
            continue;
        }
        if (addInBlocks(ledgerWindows->sumsOverlap())) {
            WindowAdder<Channels, true> adder(*ledgerWindows, r);
            pass(r, adder);
        } else if constexpr (!sixteenRegisters) {
            WindowAdder<Channels, false> adder(*ledgerWindows, r);
            pass(r, adder);
        }
    }
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
