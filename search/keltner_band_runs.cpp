// Compiled once per vector target (hwy/foreach_target.h); the function at the
// end chooses the best target the processor supports.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "search/keltner_band_runs.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include "search/keltner_band_runs.h"

#include <hwy/highway.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

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
    V lower(VI at) const { return lowerOf(multiplier(at)); }
    // The band of one multiplier in every lane, without a gather.
    V lower(double multiplier) const { return lowerOf(hn::Set(D(), multiplier)); }

private:
    V multiplier(VI at) const { return hn::GatherIndex(D(), multipliers_, hn::Min(at, last_)); }
    V lowerOf(V multiplier) const { return hn::Sub(ema_, hn::Mul(multiplier, atr_)); }

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
        // Through 32 bits: without AVX-512 a direct conversion to 64 bits
        // takes some twenty instructions, and the guess fits.
        return hn::PromoteTo(DI(), hn::DemoteTo(hn::Rebind<std::int32_t, D>(), clamped));
    }

private:
    V first_;
    double count_;
    V scale_;
};

// Where a band's strict test and its tie-inclusive twin stop holding.
struct BandBounds {
    VI strict, inclusive;
};

// Both bounds in the active lanes, from a guess. Where the guess is right both
// end at it: the strict test holds just below it and the twin fails at it.
// Only the other lanes are searched, the twin from the strict test's bound.
template <class Strict, class Inclusive>
HWY_INLINE BandBounds SearchBand(VI guess, M active, int count, Strict strict, Inclusive inclusive) {
    const D d;
    const DI di;
    const VI one = hn::Set(di, 1), zero = hn::Zero(di);
    const M holdsBelow = hn::Or(hn::RebindMask(d, hn::Eq(guess, zero)), strict(hn::Max(hn::Sub(guess, one), zero)));
    const M failsAt = hn::Or(hn::RebindMask(d, hn::Eq(guess, hn::Set(di, count))), hn::Not(inclusive(guess)));
    const M search = hn::AndNot(hn::And(holdsBelow, failsAt), active);
    if (hn::AllFalse(d, search)) return {guess, guess};
    const VI bound = PrefixLengths(guess, search, count, strict);
    return {bound, PrefixLengths(bound, search, count, inclusive)};
}

// Bars k .. k + lanes - 1.
HWY_INLINE void OneVector(const KeltnerColumns& columns, const std::vector<double>& multipliers, const Guess& guess,
                          int k, std::int64_t* from, std::int64_t* to, std::int64_t* position) {
    const D d;
    const DI di;
    const int count = static_cast<int>(multipliers.size());
    const V ema = hn::LoadU(d, columns.ema + k), atr = hn::LoadU(d, columns.atr + k);
    const V high = hn::LoadU(d, columns.high + k), low = hn::LoadU(d, columns.low + k);
    const BandTests bands(multipliers.data(), count, ema, atr);
    // The one-run shape needs finite bands that widen with the multiplier and
    // a lowest lower band above 0; other lanes are left to the caller.
    const V infinity = hn::Set(d, HUGE_VAL);
    const M finite = hn::And(hn::Lt(hn::Abs(ema), infinity), hn::Lt(hn::Abs(atr), infinity));
    const M lowestAboveZero = hn::Gt(bands.lower(multipliers.back()), hn::Zero(d));
    const M oneRun = hn::And(hn::And(finite, hn::Ge(atr, hn::Zero(d))), lowestAboveZero);
    const V perAtr = hn::Div(hn::Set(d, 1.0), atr);
    const BandBounds upper = SearchBand(
        guess(hn::Mul(hn::Sub(high, ema), perAtr)), oneRun, count,
        [&](VI t) HWY_ATTR { return hn::Gt(high, bands.upper(t)); },
        [&](VI t) HWY_ATTR { return hn::Not(hn::Lt(high, bands.upper(t))); });
    const BandBounds lower = SearchBand(
        guess(hn::Mul(hn::Sub(ema, low), perAtr)), oneRun, count,
        [&](VI t) HWY_ATTR { return hn::Lt(low, bands.lower(t)); },
        [&](VI t) HWY_ATTR { return hn::Not(hn::Gt(low, bands.lower(t))); });
    const VI aboveUpper = upper.strict, notBelowUpper = upper.inclusive;
    const VI belowLower = lower.strict, notAboveLower = lower.inclusive;
    const VI zero = hn::Zero(di);
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
