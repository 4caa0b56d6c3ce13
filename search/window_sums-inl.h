// The vector side of window_sums.h: adds each bar's daily P&L of eight lanes
// (per channel) to the running sums that take the bar, and keeps the sums of
// squares in registers for the whole pass (and a running sum too, while it is
// the only one that takes the bars). Included once per target (see
// trial_lanes-inl.h).

#if defined(VARKEL_SEARCH_WINDOW_SUMS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#undef VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#else
#define VARKEL_SEARCH_WINDOW_SUMS_INL_H_
#endif

#include "search/trial_lanes-inl.h"
#include "search/window_sums.h"

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

// Takes the registers `firstPart` .. firstPart + Parts - 1 of each bar's
// lanes; passes over the other registers may follow with their own adder.
template <int Channels, int Parts = parts>
class WindowAdder {
public:
    explicit WindowAdder(LaneWindowSums<Channels>& sums, int firstPart = 0) : sums_(sums), firstPart_(firstPart) {}

    void start() {
        sums_.start(firstPart_ * lanesPerVector, Parts * lanesPerVector);
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < Parts; ++r) squares_[c][r] = running_[c][r] = hn::Zero(LaneTag());
        held_ = -1;
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
            return;
        }
        for (const int sum : sums_.active())
            for (int c = 0; c < Channels; ++c) {
                double* running = sums_.running(sum, c).lane + firstPart_ * lanesPerVector;
                for (int r = 0; r < Parts; ++r) {
                    double* at = running + r * lanesPerVector;
                    hn::Store(hn::Add(hn::Load(LaneTag(), at), daily[c][r]), LaneTag(), at);
                }
            }
    }

    void finish() {
        release();
        sums_.finish();
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < Parts; ++r)
                hn::Store(squares_[c][r], LaneTag(), sums_.squares(c).lane + (firstPart_ + r) * lanesPerVector);
    }

private:
    // A lone active running sum stays in registers between the plan's
    // boundaries; it goes back to memory before one is crossed.
    void cross(int bar) {
        release();
        sums_.reach(bar);
        if (sums_.active().size() != 1) return;
        held_ = sums_.active()[0];
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < Parts; ++r)
                running_[c][r] = hn::Load(LaneTag(), sums_.running(held_, c).lane + (firstPart_ + r) * lanesPerVector);
    }
    void release() {
        if (held_ < 0) return;
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < Parts; ++r)
                hn::Store(running_[c][r], LaneTag(), sums_.running(held_, c).lane + (firstPart_ + r) * lanesPerVector);
        held_ = -1;
    }

    LaneWindowSums<Channels>& sums_;
    int firstPart_;
    LaneVec squares_[Channels][Parts];
    LaneVec running_[Channels][Parts];
    int held_ = -1;
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
