// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/mean_ratios.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/mean_ratios.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

void MeanRatios(const double* a, const double* b, int count, double span, double* out) {
    const hn::ScalableTag<double> d;
    const int lanes = static_cast<int>(hn::Lanes(d));
    const auto divisor = hn::Set(d, span);
    int i = 0;
    for (; i + lanes <= count; i += lanes) {
        const auto below = hn::LoadU(d, b + i);
        const auto ratio = hn::Div(hn::Div(hn::LoadU(d, a + i), divisor), hn::Div(below, divisor));
        hn::StoreU(hn::IfThenZeroElse(hn::Eq(below, hn::Zero(d)), ratio), d, out + i);
    }
    for (; i < count; ++i) out[i] = b[i] == 0.0 ? 0.0 : (a[i] / span) / (b[i] / span);
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(MeanRatios);

void meanRatios(const double* a, const double* b, int count, double span, double* out) {
    HWY_DYNAMIC_DISPATCH(MeanRatios)(a, b, count, span, out);
}

}  // namespace varkel
#endif
