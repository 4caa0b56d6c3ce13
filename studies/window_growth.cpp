// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "studies/window_growth.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "studies/window_growth.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

void GrowWindows(double* sums, const double* next, int count, double* means, double span) {
    const hn::ScalableTag<double> d;
    const int lanes = static_cast<int>(hn::Lanes(d));
    int j = 0;
    if (means == nullptr) {
        for (; j + lanes <= count; j += lanes) hn::StoreU(hn::Add(hn::LoadU(d, sums + j), hn::LoadU(d, next + j)), d, sums + j);
        for (; j < count; ++j) sums[j] += next[j];
        return;
    }
    const auto divisor = hn::Set(d, span);
    for (; j + lanes <= count; j += lanes) {
        const auto sum = hn::Add(hn::LoadU(d, sums + j), hn::LoadU(d, next + j));
        hn::StoreU(sum, d, sums + j);
        hn::StoreU(hn::Div(sum, divisor), d, means + j);
    }
    for (; j < count; ++j) {
        sums[j] += next[j];
        means[j] = sums[j] / span;
    }
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(GrowWindows);

void growWindows(double* sums, const double* next, int count, double* means, double span) {
    HWY_DYNAMIC_DISPATCH(GrowWindows)(sums, next, count, means, span);
}

}  // namespace varkel
#endif
