// The vector side of window_sums.h: adds each bar's daily P&L of eight lanes
// (per channel) to the running sums that take the bar, and keeps the sums of
// squares in registers for the whole pass. Included once per target (see
// trial_lanes-inl.h).

#if defined(VARKEL_MODEL_WINDOW_SUMS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VARKEL_MODEL_WINDOW_SUMS_INL_H_
#undef VARKEL_MODEL_WINDOW_SUMS_INL_H_
#else
#define VARKEL_MODEL_WINDOW_SUMS_INL_H_
#endif

#include "search/trial_lanes-inl.h"
#include "search/window_sums.h"

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

template <int Channels>
class WindowAdder {
public:
    explicit WindowAdder(LaneWindowSums<Channels>& sums) : sums_(sums) {}

    void start() {
        sums_.start();
        for (int c = 0; c < Channels; ++c)
            for (int r = 0; r < parts; ++r) squares_[c][r] = hn::Zero(LaneTag());
    }

    HWY_INLINE void add(int bar, const LaneVec (&daily)[Channels][parts]) {
        sums_.reach(bar);
        if (sums_.withSquares())
            for (int c = 0; c < Channels; ++c)
                for (int r = 0; r < parts; ++r) squares_[c][r] = hn::Add(squares_[c][r], hn::Mul(daily[c][r], daily[c][r]));
        const int* active = sums_.active();
        for (std::size_t k = 0; k < sums_.activeCount(); ++k)
            for (int c = 0; c < Channels; ++c) {
                double* running = sums_.running(active[k], c).lane;
                for (int r = 0; r < parts; ++r) {
                    double* at = running + r * lanesPerVector;
                    hn::Store(hn::Add(hn::Load(LaneTag(), at), daily[c][r]), LaneTag(), at);
                }
            }
    }

    void finish() {
        sums_.finish();
        for (int c = 0; c < Channels; ++c) storeLanes(squares_[c], sums_.squares(c));
    }

private:
    LaneWindowSums<Channels>& sums_;
    LaneVec squares_[Channels][parts];
};

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
