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

// Position codes of bar i for eight multipliers, from the bands of the bar before:
// long when the whole bar lies above the lower band and the high breaks the
// upper one, short in the mirror case; bars without bands (lower band exactly
// 0, the warm-up) stay flat.
class BandPositions {
public:
    BandPositions(const KeltnerColumns& columns, const lanes::Doubles& multiplier) : columns_(columns) {
        loadLanes(multiplier, multiplier_);
    }

    HWY_INLINE void at(int i, LaneIntVecs& out) const {
        const LaneTag d;
        const LaneIntTag di;
        const int k = i - 1;
        for (int r = 0; r < parts; ++r) out[r] = flatCode();
        if (k <= columns_.start) return;
        const LaneVec ema = hn::Set(d, columns_.ema[k]);
        const LaneVec atr = hn::Set(d, columns_.atr[k]);
        const LaneVec high = hn::Set(d, columns_.high[k]);
        const LaneVec low = hn::Set(d, columns_.low[k]);
        for (int r = 0; r < parts; ++r) {
            const LaneVec width = hn::Mul(multiplier_[r], atr);
            const LaneVec upper = hn::Add(ema, width);
            const LaneVec lower = hn::Sub(ema, width);
            const auto up = hn::RebindMask(di, hn::And(hn::Gt(high, upper), hn::Gt(low, lower)));
            const auto down = hn::RebindMask(di, hn::And(hn::Lt(low, lower), hn::Lt(high, upper)));
            const auto banded = hn::RebindMask(di, hn::Ne(lower, hn::Zero(d)));
            out[r] = hn::IfThenElse(banded, codeOf(down, up), flatCode());
        }
    }

private:
    KeltnerColumns columns_;
    LaneVec multiplier_[parts];
};

void KeltnerReturns(const PnlTable& table, const KeltnerColumns& columns, const lanes::Doubles& multiplier,
                    LaneWindowSums<1>* ledgerWindows, lanes::Doubles& sums) {
    const BandPositions positions(columns, multiplier);
    if (ledgerWindows != nullptr) {
        WindowAdder<1> adder(*ledgerWindows);
        finalReturns<false>(table, positions, adder, sums);
    } else {
        NoWindowAdder none;
        finalReturns<false>(table, positions, none, sums);
    }
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(KeltnerReturns);

void keltnerReturns(const PnlTable& table, const KeltnerColumns& columns, const lanes::Doubles& multiplier,
                    LaneWindowSums<1>* ledgerWindows, lanes::Doubles& sums) {
    HWY_DYNAMIC_DISPATCH(KeltnerReturns)(table, columns, multiplier, ledgerWindows, sums);
}

}  // namespace varkel
#endif
