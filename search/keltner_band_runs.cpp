// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/keltner_band_runs.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/keltner_band_runs.h"

#include <hwy/highway.h>

#include <algorithm>
#include <cmath>

HWY_BEFORE_NAMESPACE();
namespace varkel::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<double>;
using DI = hn::RebindToSigned<D>;
using V = hn::Vec<D>;
using VI = hn::Vec<DI>;
using M = hn::Mask<D>;

// One vector of bars' band tests at trials `at` (each lane its own trial).
class BandTests {
public:
    BandTests(const double* multipliers, int count, V ema, V atr) : multipliers_(multipliers), ema_(ema), atr_(atr) {
        last_ = hn::Set(DI(), count - 1);
    }

    // The bands exactly as the rule computes them, without a fused multiply-add.
    V upper(VI at) const { return hn::Add(ema_, hn::Mul(multiplier(at), atr_)); }
    V lower(VI at) const { return hn::Sub(ema_, hn::Mul(multiplier(at), atr_)); }

private:
    V multiplier(VI at) const { return hn::GatherIndex(D(), multipliers_, hn::Min(at, last_)); }

    const double* multipliers_;
    V ema_, atr_;
    VI last_;
};

// In each active lane, how many trials 0 .. count-1 pass a test that holds
// on a prefix of them, searched from `at`: the lanes step up while the test
// holds at `at`, then down while it fails just below.
template <class Holds>
HWY_INLINE VI PrefixLengths(VI at, M active, int count, Holds holds) {
    const DI di;
    const D d;
    const VI one = hn::Set(di, 1), zero = hn::Zero(di), all = hn::Set(di, count);
    for (;;) {
        const M up = hn::And(active, hn::And(hn::RebindMask(d, hn::Lt(at, all)), holds(at)));
        if (hn::AllFalse(d, up)) break;
        at = hn::Add(at, hn::IfThenElseZero(hn::RebindMask(di, up), one));
    }
    for (;;) {
        const M fails = hn::Not(holds(hn::Max(hn::Sub(at, one), zero)));
        const M down = hn::And(active, hn::And(hn::RebindMask(d, hn::Gt(at, zero)), fails));
        if (hn::AllFalse(d, down)) break;
        at = hn::Sub(at, hn::IfThenElseZero(hn::RebindMask(di, down), one));
    }
    return at;
}

// How many of the ascending multipliers lie below a value, by interpolation:
// exact on an evenly stepped grid unless the value falls on a multiplier or
// rounding moves it; PrefixLengths corrects it where it is not.
class Guess {
public:
    explicit Guess(const std::vector<double>& multipliers)
        : first_(hn::Set(D(), multipliers.front())), count_(static_cast<double>(multipliers.size())),
          scale_(hn::Set(D(), static_cast<double>(multipliers.size() - 1) /
                                  (multipliers.back() - multipliers.front()))) {}

    VI operator()(V value) const {
        const D d;
        const V share = hn::Mul(hn::Sub(value, first_), scale_);
        // Below the first (or NaN, from a flat grid or value) starts at 0.
        const M above = hn::Gt(share, hn::Zero(d));
        const V clamped = hn::Min(hn::IfThenElseZero(above, hn::Add(share, hn::Set(d, 1.0))), hn::Set(d, count_));
        return hn::ConvertTo(DI(), clamped);
    }

private:
    V first_;
    double count_;
    V scale_;
};

// Bars k .. k + lanes - 1.
HWY_INLINE void OneVector(const KeltnerColumns& columns, const std::vector<double>& multipliers, const Guess& guess,
                          int k, std::int64_t* from, std::int64_t* to, std::int64_t* position) {
    const D d;
    const DI di;
    const int count = static_cast<int>(multipliers.size());
    const V ema = hn::LoadU(d, columns.ema + k), atr = hn::LoadU(d, columns.atr + k);
    const V high = hn::LoadU(d, columns.high + k), low = hn::LoadU(d, columns.low + k);
    const BandTests bands(multipliers.data(), count, ema, atr);
    const VI lastTrial = hn::Set(di, count - 1);
    // The one-run shape needs finite bands that widen with the multiplier and
    // a lowest lower band above 0; other lanes are left to the caller.
    const V infinity = hn::Set(d, HUGE_VAL);
    const M finite = hn::And(hn::Lt(hn::Abs(ema), infinity), hn::Lt(hn::Abs(atr), infinity));
    const M oneRun = hn::And(hn::And(finite, hn::Ge(atr, hn::Zero(d))), hn::Gt(bands.lower(lastTrial), hn::Zero(d)));
    const V perAtr = hn::Div(hn::Set(d, 1.0), atr);
    const VI upperGuess = guess(hn::Mul(hn::Sub(high, ema), perAtr));
    const VI lowerGuess = guess(hn::Mul(hn::Sub(ema, low), perAtr));
    // Where a guess is right, a band's strict test and its tie-inclusive twin
    // both end at it: the strict test holds just below and the twin fails at
    // it. Only the other lanes are searched.
    const VI one = hn::Set(di, 1), zero = hn::Zero(di), all = hn::Set(di, count);
    auto atStart = [&](VI at) HWY_ATTR { return hn::RebindMask(d, hn::Eq(at, zero)); };
    auto atEnd = [&](VI at) HWY_ATTR { return hn::RebindMask(d, hn::Eq(at, all)); };
    auto before = [&](VI at) HWY_ATTR { return hn::Max(hn::Sub(at, one), zero); };
    const M upperRight = hn::And(hn::Or(atStart(upperGuess), hn::Gt(high, bands.upper(before(upperGuess)))),
                                 hn::Or(atEnd(upperGuess), hn::Lt(high, bands.upper(upperGuess))));
    const M lowerRight = hn::And(hn::Or(atStart(lowerGuess), hn::Lt(low, bands.lower(before(lowerGuess)))),
                                 hn::Or(atEnd(lowerGuess), hn::Gt(low, bands.lower(lowerGuess))));
    VI aboveUpper = upperGuess, notBelowUpper = upperGuess, belowLower = lowerGuess, notAboveLower = lowerGuess;
    const M searchUpper = hn::AndNot(upperRight, oneRun);
    if (!hn::AllFalse(d, searchUpper)) {
        aboveUpper = PrefixLengths(upperGuess, searchUpper, count,
                                   [&](VI t) HWY_ATTR { return hn::Gt(high, bands.upper(t)); });
        // Each strict test's bound is the best guess for its tie-inclusive twin.
        notBelowUpper = PrefixLengths(aboveUpper, searchUpper, count,
                                      [&](VI t) HWY_ATTR { return hn::Not(hn::Lt(high, bands.upper(t))); });
    }
    const M searchLower = hn::AndNot(lowerRight, oneRun);
    if (!hn::AllFalse(d, searchLower)) {
        belowLower = PrefixLengths(lowerGuess, searchLower, count,
                                   [&](VI t) HWY_ATTR { return hn::Lt(low, bands.lower(t)); });
        notAboveLower = PrefixLengths(belowLower, searchLower, count,
                                      [&](VI t) HWY_ATTR { return hn::Not(hn::Gt(low, bands.lower(t))); });
    }
    // Long on notAboveLower .. aboveUpper-1, short on notBelowUpper ..
    // belowLower-1; at most one of the two is not empty.
    const auto isLong = hn::Lt(notAboveLower, aboveUpper);
    const auto isShort = hn::AndNot(isLong, hn::Lt(notBelowUpper, belowLower));
    hn::StoreU(hn::IfThenElse(isLong, notAboveLower, hn::IfThenElse(isShort, notBelowUpper, zero)), di, from);
    hn::StoreU(hn::IfThenElse(isLong, aboveUpper, hn::IfThenElse(isShort, belowLower, zero)), di, to);
    const VI side = hn::IfThenElse(isLong, hn::Set(di, 1), hn::IfThenElseZero(isShort, hn::Set(di, -1)));
    hn::StoreU(hn::IfThenElse(hn::RebindMask(di, oneRun), side, hn::Set(di, notOneRun)), di, position);
}

void BandRuns(const KeltnerColumns& columns, const std::vector<double>& multipliers, int first, int count,
              std::int64_t* from, std::int64_t* to, std::int64_t* position) {
    const int lanes = static_cast<int>(hn::Lanes(D()));
    const Guess guess(multipliers);
    if (count < lanes) {
        // Fewer bars than lanes: their columns padded with the last bar.
        constexpr int most = HWY_MAX_BYTES / sizeof(double);
        double high[most], low[most], ema[most], atr[most];
        std::int64_t f[most], t[most], p[most];
        for (int b = 0; b < lanes; ++b) {
            const int k = first + std::min(b, count - 1);
            high[b] = columns.high[k], low[b] = columns.low[k], ema[b] = columns.ema[k], atr[b] = columns.atr[k];
        }
        const KeltnerColumns padded{high, low, ema, atr, columns.start};
        OneVector(padded, multipliers, guess, 0, f, t, p);
        std::copy_n(f, count, from);
        std::copy_n(t, count, to);
        std::copy_n(p, count, position);
        return;
    }
    // The last vector may overlap the one before it: it gives those bars the same runs again.
    for (int b = 0; b < count; b += lanes) {
        const int at = std::min(b, count - lanes);
        OneVector(columns, multipliers, guess, first + at, from + at, to + at, position + at);
    }
}

}  // namespace varkel::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace varkel {

HWY_EXPORT(BandRuns);

void bandRuns(const KeltnerColumns& columns, const std::vector<double>& multipliers, int first, int count,
              std::int64_t* from, std::int64_t* to, std::int64_t* position) {
    if (count > 0) HWY_DYNAMIC_DISPATCH(BandRuns)(columns, multipliers, first, count, from, to, position);
}

}  // namespace varkel
#endif
