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

// The position codes of bar i for the thresholds of register r: the rule
// reads the study value of the bar before; bar 0 keeps its start (flat, or the
// filtered positions). Most thresholds leave most bars flat, so all-flat bars
// are skipped.
template <SpanRule rule>
class RulePositions {
public:
    RulePositions(const SpanColumns& columns, const lanes::Doubles* threshold, const lanes::Doubles* limit)
        : values_(columns.values), saved_(columns.saved), threshold_(threshold), limit_(limit) {}

    HWY_INLINE void at(int i, int r, LaneIntVec (&out)[lanes::groupsPerPass]) const {
        const LaneTag d;
        const LaneIntTag di;
        if (i == 0) {
            for (int c = 0; c < lanes::groupsPerPass; ++c) out[c] = codeVector(rule == SpanRule::Base ? 0 : saved_[0]);
            return;
        }
        const double value = values_[i - 1];
        const std::int64_t kept = saved_[i];
        const LaneIntVec keep = codeVector(kept);
        for (int c = 0; c < lanes::groupsPerPass; ++c) {
            const LaneVec threshold = hn::Load(d, threshold_[c].lane + r * lanesPerVector);
            const LaneVec limit = hn::Load(d, limit_[c].lane + r * lanesPerVector);
            switch (rule) {
                case SpanRule::Base: {
                    const LaneVec v = hn::Set(d, value);
                    out[c] = codeOf(hn::Lt(v, hn::Neg(threshold)), hn::Gt(v, threshold));
                    break;
                }
                case SpanRule::MagnitudeFilter:
                    out[c] = hn::IfThenElse(hn::RebindMask(di, hn::Lt(hn::Set(d, std::fabs(value)), limit)), flatCode(), keep);
                    break;
                case SpanRule::RocFilter:
                    if (kept == 1)
                        out[c] = hn::IfThenElse(hn::RebindMask(di, hn::Lt(hn::Set(d, value), hn::Neg(limit))), flatCode(), keep);
                    else if (kept == -1)
                        out[c] = hn::IfThenElse(hn::RebindMask(di, hn::Gt(hn::Set(d, value), limit)), flatCode(), keep);
                    else
                        out[c] = flatCode();
                    break;
                case SpanRule::NdistFilter:
                    out[c] = hn::IfThenElse(hn::RebindMask(di, hn::Lt(hn::Set(d, value), limit)), flatCode(), keep);
                    break;
            }
        }
    }

private:
    const double* values_;
    const std::int8_t* saved_;
    const lanes::Doubles* threshold_;
    const lanes::Doubles* limit_;
};

template <SpanRule rule>
HWY_INLINE void returnsFor(const PnlTable& table, const SpanColumns& columns, const lanes::Doubles* threshold,
                           const lanes::Doubles* limit, LaneWindowSums<lanes::groupsPerPass>* ledgerWindows,
                           lanes::Doubles* sums) {
    const RulePositions<rule> positions(columns, threshold, limit);
    eachPart(ledgerWindows, [&](int r, auto& adder) HWY_ATTR {
        finalReturnsOfPart<true, lanes::groupsPerPass>(table, positions, r, adder, sums);
    });
}

void SpanThresholdReturns(const PnlTable& table, const SpanColumns& columns, const lanes::Doubles* threshold,
                          const lanes::Doubles* limit, LaneWindowSums<lanes::groupsPerPass>* ledgerWindows,
                          lanes::Doubles* sums) {
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

void spanThresholdReturns(const PnlTable& table, const SpanColumns& columns,
                          const lanes::Doubles (&threshold)[lanes::groupsPerPass],
                          const lanes::Doubles (&limit)[lanes::groupsPerPass],
                          LaneWindowSums<lanes::groupsPerPass>* ledgerWindows,
                          lanes::Doubles (&sums)[lanes::groupsPerPass]) {
    HWY_DYNAMIC_DISPATCH(SpanThresholdReturns)(table, columns, threshold, limit, ledgerWindows, sums);
}

}  // namespace varkel
#endif
