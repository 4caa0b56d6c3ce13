// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/keltner_lanes.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/keltner_lanes.h"
#include "search/trial_lanes-inl.h"
#include "search/window_sums-inl.h"

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

// Position codes of bar i for the multipliers of register r, from the bands of
// the bar before: long when the whole bar lies above the lower band and the
// high breaks the upper one, short in the mirror case; bars without bands
// (lower band exactly 0, the warm-up) stay flat.
class BandPositions {
public:
    BandPositions(const KeltnerColumns& columns, const lanes::Doubles* multiplier)
        : columns_(columns), multiplier_(multiplier) {}

    HWY_INLINE void at(int i, int r, LaneIntVec (&out)[lanes::groupsPerPass]) const {
        const LaneTag d;
        const LaneIntTag di;
        const int k = i - 1;
        for (int c = 0; c < lanes::groupsPerPass; ++c) out[c] = flatCode();
        if (k <= columns_.start) return;
        const LaneVec ema = hn::Set(d, columns_.ema[k]);
        const LaneVec atr = hn::Set(d, columns_.atr[k]);
        const LaneVec high = hn::Set(d, columns_.high[k]);
        const LaneVec low = hn::Set(d, columns_.low[k]);
        for (int c = 0; c < lanes::groupsPerPass; ++c) {
            const LaneVec width = hn::Mul(hn::Load(d, multiplier_[c].lane + r * lanesPerVector), atr);
            const LaneVec upper = hn::Add(ema, width);
            const LaneVec lower = hn::Sub(ema, width);
            const auto up = hn::And(hn::Gt(high, upper), hn::Gt(low, lower));
            const auto down = hn::And(hn::Lt(low, lower), hn::Lt(high, upper));
            const auto banded = hn::RebindMask(di, hn::Ne(lower, hn::Zero(d)));
            out[c] = hn::IfThenElse(banded, codeOf(down, up), flatCode());
        }
    }

private:
    KeltnerColumns columns_;
    const lanes::Doubles* multiplier_;
};

void KeltnerReturns(const PnlTable& table, const KeltnerColumns& columns, const lanes::Doubles* multiplier,
                    LaneWindowSums<lanes::groupsPerPass>* ledgerWindows, lanes::Doubles* sums) {
    const BandPositions positions(columns, multiplier);
    eachPart(ledgerWindows, [&](int r, auto& adder) HWY_ATTR {
        finalReturnsOfPart<false, lanes::groupsPerPass>(table, positions, r, adder, sums);
    });
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(KeltnerReturns);

void keltnerReturns(const PnlTable& table, const KeltnerColumns& columns,
                    const lanes::Doubles (&multiplier)[lanes::groupsPerPass],
                    LaneWindowSums<lanes::groupsPerPass>* ledgerWindows, lanes::Doubles (&sums)[lanes::groupsPerPass]) {
    HWY_DYNAMIC_DISPATCH(KeltnerReturns)(table, columns, multiplier, ledgerWindows, sums);
}

}  // namespace varkel
#endif
