// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "studies/centred_sums.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "studies/centred_sums.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// dx of each offset, as the one-window definition computes it.
HWY_INLINE double offsetFromCentre(int offset, int span) { return static_cast<double>(offset + 1) - (span + 1) / 2.0; }

// Windows ending at last .. last + lanes - 1 side by side, their sums kept in
// registers over the whole window; the rest one at a time. Returns Sxx, the
// same for every window.
double SumWindows(const double* v, int n, int span, double* sy, double* syy, double* sxy) {
    const hn::ScalableTag<double> d;
    const int lanes = static_cast<int>(hn::Lanes(d));
    int last = span - 1;
    for (; last + lanes <= n; last += lanes) {
        const double* first = v + (last + 1 - span);
        const auto start = hn::LoadU(d, first);
        auto y = hn::Zero(d), yy = hn::Zero(d), xy = hn::Zero(d);
        for (int offset = 0; offset < span; ++offset) {
            const auto dy = hn::Sub(hn::LoadU(d, first + offset), start);
            y = hn::Add(y, dy);
            yy = hn::Add(yy, hn::Mul(dy, dy));
            xy = hn::Add(xy, hn::Mul(hn::Set(d, offsetFromCentre(offset, span)), dy));
        }
        hn::StoreU(y, d, sy + last);
        hn::StoreU(yy, d, syy + last);
        hn::StoreU(xy, d, sxy + last);
    }
    for (; last < n; ++last) {
        const double* first = v + (last + 1 - span);
        for (int offset = 0; offset < span; ++offset) {
            const double dy = first[offset] - first[0];
            sy[last] += dy;
            syy[last] += dy * dy;
            sxy[last] += offsetFromCentre(offset, span) * dy;
        }
    }
    double sxx = 0.0;
    for (int offset = 0; offset < span; ++offset) sxx += offsetFromCentre(offset, span) * offsetFromCentre(offset, span);
    return sxx;
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(SumWindows);

CentredSums centredSums(std::span<const double> v, int span) {
    const int n = static_cast<int>(v.size());
    CentredSums s{0.0, std::vector<double>(v.size(), 0.0), std::vector<double>(v.size(), 0.0),
                  std::vector<double>(v.size(), 0.0)};
    s.sxx = HWY_DYNAMIC_DISPATCH(SumWindows)(v.data(), n, span, s.sy.data(), s.syy.data(), s.sxy.data());
    return s;
}

}  // namespace varkel
#endif
