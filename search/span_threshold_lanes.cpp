// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/span_threshold_lanes.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/span_threshold_lanes.h"
#include "search/trial_lanes-inl.h"
#include "search/window_sums-inl.h"

#include <cmath>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

// The position codes of bar i for eight thresholds: the rule reads the study value
// of the bar before; bar 0 keeps its start (flat, or the filtered positions).
// Most thresholds leave most bars flat, so all-flat bars are skipped.
template <SpanRule rule>
class RulePositions {
public:
    RulePositions(const SpanColumns& columns, const lanes::Doubles& threshold, const lanes::Doubles& limit)
        : values_(columns.values), saved_(columns.saved) {
        loadLanes(threshold, threshold_);
        loadLanes(limit, limit_);
    }

    HWY_INLINE void at(int i, LaneIntVecs& out) const {
        const LaneTag d;
        const LaneIntTag di;
        if (i == 0) {
            for (int r = 0; r < parts; ++r) out[r] = codeVector(rule == SpanRule::Base ? 0 : saved_[0]);
            return;
        }
        const double value = values_[i - 1];
        const std::int64_t kept = saved_[i];
        const LaneIntVec keep = codeVector(kept);
        for (int r = 0; r < parts; ++r) {
            switch (rule) {
                case SpanRule::Base: {
                    const LaneVec v = hn::Set(d, value);
                    out[r] = codeOf(hn::RebindMask(di, hn::Lt(v, hn::Neg(threshold_[r]))),
                                        hn::RebindMask(di, hn::Gt(v, threshold_[r])));
                    break;
                }
                case SpanRule::MagnitudeFilter:
                    out[r] = hn::IfThenElse(hn::RebindMask(di, hn::Lt(hn::Set(d, std::fabs(value)), limit_[r])), flatCode(), keep);
                    break;
                case SpanRule::RocFilter:
                    if (kept == 1)
                        out[r] = hn::IfThenElse(hn::RebindMask(di, hn::Lt(hn::Set(d, value), hn::Neg(limit_[r]))), flatCode(), keep);
                    else if (kept == -1)
                        out[r] = hn::IfThenElse(hn::RebindMask(di, hn::Gt(hn::Set(d, value), limit_[r])), flatCode(), keep);
                    else
                        out[r] = flatCode();
                    break;
                case SpanRule::NdistFilter:
                    out[r] = hn::IfThenElse(hn::RebindMask(di, hn::Lt(hn::Set(d, value), limit_[r])), flatCode(), keep);
                    break;
            }
        }
    }

private:
    const double* values_;
    const std::int8_t* saved_;
    LaneVec threshold_[parts], limit_[parts];
};

template <SpanRule rule>
HWY_INLINE void returnsFor(const PnlTable& table, const SpanColumns& columns, const lanes::Doubles& threshold,
                           const lanes::Doubles& limit, LaneWindowSums<1>* ledgerWindows, lanes::Doubles& sums) {
    const RulePositions<rule> positions(columns, threshold, limit);
    if (ledgerWindows != nullptr) {
        WindowAdder<1> adder(*ledgerWindows);
        finalReturns<true>(table, positions, adder, sums);
    } else {
        NoWindowAdder none;
        finalReturns<true>(table, positions, none, sums);
    }
}

void SpanThresholdReturns(const PnlTable& table, const SpanColumns& columns, const lanes::Doubles& threshold,
                          const lanes::Doubles& limit, LaneWindowSums<1>* ledgerWindows, lanes::Doubles& sums) {
    switch (columns.rule) {
        case SpanRule::Base: return returnsFor<SpanRule::Base>(table, columns, threshold, limit, ledgerWindows, sums);
        case SpanRule::MagnitudeFilter:
            return returnsFor<SpanRule::MagnitudeFilter>(table, columns, threshold, limit, ledgerWindows, sums);
        case SpanRule::RocFilter:
            return returnsFor<SpanRule::RocFilter>(table, columns, threshold, limit, ledgerWindows, sums);
        case SpanRule::NdistFilter:
            return returnsFor<SpanRule::NdistFilter>(table, columns, threshold, limit, ledgerWindows, sums);
    }
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(SpanThresholdReturns);

void spanThresholdReturns(const PnlTable& table, const SpanColumns& columns, const lanes::Doubles& threshold,
                          const lanes::Doubles& limit, LaneWindowSums<1>* ledgerWindows, lanes::Doubles& sums) {
    HWY_DYNAMIC_DISPATCH(SpanThresholdReturns)(table, columns, threshold, limit, ledgerWindows, sums);
}

}  // namespace varkel
#endif
