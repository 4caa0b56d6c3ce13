// The vector side of window_sums.h: adds each bar's daily P&L of eight lanes
// (per channel) to the running sums that take the bar and to the sums of
// squares. Included once per target (see trial_lanes-inl.h).

#if defined(VARKEL_SEARCH_WINDOW_SUMS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#undef VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#else
#define VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#endif

#include "search/trial_lanes-inl.h"
#include "search/window_sums.h"

#include <cstddef>
#include <span>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

// Takes the registers `firstPart` .. firstPart + Parts - 1 of each bar's
// lanes; passes over the other registers may follow with their own adder.
//
// The sums of squares stay in registers for the whole pass, and so does a
// running sum while it is the only one that takes the bars (the blocks of
// the overfitting statistics). Several running sums at once (the overlapping
// train windows of a rolling walk-forward) would each cost a load, an
// addition and a store per bar and channel in the kernel's loop, chained
// through memory from bar to bar; instead the loop stores each bar's daily
// P&L in a chunk of bars here, and the chunk goes to the running sums at each
// boundary of the plan and when it is full, each sum held in a register over
// the chunk's bars in bar order: every window is still summed in bar order
// from 0.0.
template <int Channels, int Parts = parts>
class WindowAdder {
public:
    explicit WindowAdder(LaneWindowSums<Channels>& sums, int firstPart = 0) : sums_(sums), firstPart_(firstPart) {}

    void start() {
        sums_.start(firstPart_ * lanesPerVector, Parts * lanesPerVector);
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < Parts; ++r) squares_[c][r] = running_[c][r] = hn::Zero(LaneTag());
        held_ = -1;
        buffering_ = false;
        buffered_ = 0;
    }

    HWY_INLINE void add(int bar, const LaneVec (&daily)[Channels][Parts]) {
        if (HWY_UNLIKELY(bar >= sums_.nextBoundary())) cross(bar);
        if (sums_.withSquares())
            for (int c = 0; c < Channels; ++c)
                for (int r = 0; r < Parts; ++r)
                    squares_[c][r] = hn::Add(squares_[c][r], hn::Mul(daily[c][r], daily[c][r]));
        if (held_ >= 0) {
            for (int c = 0; c < Channels; ++c)
                for (int r = 0; r < Parts; ++r) running_[c][r] = hn::Add(running_[c][r], daily[c][r]);
        } else if (buffering_) {
            double* to = chunk_[buffered_];
            for (int c = 0; c < Channels; ++c)
                for (int r = 0; r < Parts; ++r) hn::Store(daily[c][r], LaneTag(), to + (c * Parts + r) * lanesPerVector);
            if (HWY_UNLIKELY(++buffered_ == ledgerChunkBars)) flush();
        }
    }

    void finish() {
        release();
        flush();
        sums_.finish();
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < Parts; ++r) hn::Store(squares_[c][r], LaneTag(), lanesOf(sums_.squares(c)) + r * lanesPerVector);
    }

private:
    // The held sum goes back to memory, and the chunk to the running sums,
    // before a boundary is crossed.
    void cross(int bar) {
        release();
        flush();
        sums_.reach(bar);
        const std::span<const int> active = sums_.active();
        buffering_ = active.size() > 1;
        if (active.size() != 1) return;
        held_ = active[0];
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < Parts; ++r)
                running_[c][r] = hn::Load(LaneTag(), lanesOf(sums_.running(held_, c)) + r * lanesPerVector);
    }
    void release() {
        if (held_ < 0) return;
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < Parts; ++r)
                hn::Store(running_[c][r], LaneTag(), lanesOf(sums_.running(held_, c)) + r * lanesPerVector);
        held_ = -1;
    }

    HWY_INLINE void flush() {
        const int count = buffered_;
        if (count == 0) return;
        buffered_ = 0;
        // Two sums at a time: twice the independent additions per bar.
        const std::span<const int> active = sums_.active();
        std::size_t k = 0;
        for (; k + 2 <= active.size(); k += 2) addChunk<2>(count, &active[k]);
        if (k < active.size()) addChunk<1>(count, &active[k]);
    }

    // Adds the chunk's first `count` bars, in bar order, to the running sums
    // sums[0 .. Sums-1].
    template <int Sums>
    HWY_INLINE void addChunk(int count, const int* sums) {
        double* at[Sums][Channels];
        LaneVec total[Sums][Channels][Parts];
        for (int s = 0; s < Sums; ++s)
            for (int c = 0; c < Channels; ++c) {
                at[s][c] = lanesOf(sums_.running(sums[s], c));
                for (int r = 0; r < Parts; ++r) total[s][c][r] = hn::Load(LaneTag(), at[s][c] + r * lanesPerVector);
            }
        for (int b = 0; b < count; ++b)
            for (int c = 0; c < Channels; ++c)
                for (int r = 0; r < Parts; ++r) {
                    const LaneVec daily = hn::Load(LaneTag(), chunk_[b] + (c * Parts + r) * lanesPerVector);
                    for (int s = 0; s < Sums; ++s) total[s][c][r] = hn::Add(total[s][c][r], daily);
                }
        for (int s = 0; s < Sums; ++s)
            for (int c = 0; c < Channels; ++c)
                for (int r = 0; r < Parts; ++r) hn::Store(total[s][c][r], LaneTag(), at[s][c] + r * lanesPerVector);
    }

    double* lanesOf(lanes::Doubles& values) const { return values.lane + firstPart_ * lanesPerVector; }

    LaneWindowSums<Channels>& sums_;
    int firstPart_;
    LaneVec squares_[Channels][Parts];
    LaneVec running_[Channels][Parts];
    int held_ = -1;
    bool buffering_ = false;
    int buffered_ = 0;
    alignas(64) double chunk_[ledgerChunkBars][Channels * Parts * lanesPerVector];
};

// Runs pass(r, adder) for each register r of the lanes in turn, so that one
// register's state stays in the target's registers for the whole pass, with
// an adder that records into `ledgerWindows`, or nothing when there are none.
template <int Channels, class Pass>
HWY_INLINE void eachPart(LaneWindowSums<Channels>* ledgerWindows, Pass&& pass) {
    for (int r = 0; r < parts; ++r) {
        if (ledgerWindows != nullptr) {
            WindowAdder<Channels, 1> adder(*ledgerWindows, r);
            pass(r, adder);
        } else {
            NoWindowAdder none;
            pass(r, none);
        }
    }
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
