#pragma once

// A straightforward grid search, one trial at a time as the user's rules word
// it: recompute the study into the bars, run its rule or filter, back-test,
// take the final return, keep the first strictly better trial. Slow, but
// obviously right; the fast optimisers must agree with it bit for bit.

#include "data/product_registry.h"
#include "model/apply_operations.h"
#include "model/backtest.h"
#include "search/optimiser_grid.h"
#include "studies/study_frame.h"

#include <functional>
#include <string>
#include <vector>

namespace varkel::reference {

struct Best {
    double bestReturn = -999999.0;
    int span1 = -999, span2 = -999, span3 = -999;
    double threshold = -999.0;
};

inline int historyLength(ProductRegistry& registry, const std::string& name) {
    return registry.findProduct(name)->historyLength();
}

inline std::vector<int> positions(ProductRegistry& registry, const std::string& name) {
    std::vector<int> result;
    for (const Bar& bar : registry.findProduct(name)->bars) result.push_back(bar.position);
    return result;
}

inline void restorePositions(ProductRegistry& registry, const std::string& name, const std::vector<int>& saved) {
    auto& bars = registry.findProduct(name)->bars;
    for (std::size_t i = 0; i < bars.size(); ++i) bars[i].position = saved[i];
}

// Told of every trial tried, in loop order, while the bars hold its back-test.
using TrialObserver = std::function<void(const Best& trial)>;

template <typename Trial>
void keepIfBetter(Best& best, ProductRegistry& registry, const std::string& name, Trial trial, int s1, int s2,
                  int s3, double threshold, const TrialObserver& observe) {
    trial();
    runBacktest(registry, name);
    const double result = finalReturn(registry, name);
    if (observe) observe({result, s1, s2, s3, threshold});
    if (result > best.bestReturn) best = {result, s1, s2, s3, threshold};
}

inline Best macd(ProductRegistry& registry, const std::string& name, const MacdGrid& grid,
                 const TrialObserver& observe = {}) {
    Best best;
    const int n = historyLength(registry, name);
    for (int fast = grid.fast.first; fast <= grid.fast.last; ++fast)
        for (int slow = fast + 1; slow <= grid.slowLast; ++slow)
            for (int signal = grid.signal.first; signal <= grid.signal.last; ++signal) {
                // No moving average (a span beyond the history, or below the
                // least the study takes): trial not tried.
                if (n < fast || n < slow || fast < minStudySpan) continue;
                keepIfBetter(best, registry, name, [&] { applyMacd(registry, name, fast, slow, signal, 0.0); },
                             fast, slow, signal, -999.0, observe);
            }
    if (best.span1 != -999) applyMacd(registry, name, best.span1, best.span2, best.span3, 0.0);
    return best;
}

inline Best stochastics(ProductRegistry& registry, const std::string& name, const StochasticsGrid& grid,
                        const TrialObserver& observe = {}) {
    Best best;
    for (int k = grid.k.first; k <= grid.k.last; ++k)
        for (int d = grid.d.first; d <= grid.d.last; ++d)
            for (int slow = grid.slowD.first; slow <= grid.slowD.last; ++slow)
                keepIfBetter(best, registry, name, [&] { applyStochastics(registry, name, k, d, slow, 0.0); }, k, d,
                             slow, -999.0, observe);
    if (best.span1 != -999) applyStochastics(registry, name, best.span1, best.span2, best.span3, 0.0);
    return best;
}

inline Best keltner(ProductRegistry& registry, const std::string& name, const KeltnerGrid& grid,
                    const TrialObserver& observe = {}) {
    Best best;
    for (int ema = grid.ema.first; ema <= grid.ema.last; ++ema)
        for (int atr = grid.atr.first; atr <= grid.atr.last; ++atr)
            for (double m = grid.multiplier.start; m < grid.multiplier.limit; m += grid.multiplier.step)
                keepIfBetter(best, registry, name, [&] { applyKeltner(registry, name, ema, atr, m); }, ema, atr,
                             -999, m, observe);
    if (best.span1 != -999) applyKeltner(registry, name, best.span1, best.span2, best.threshold);
    return best;
}

enum class SpanStudy { Lreg, Tsc, Roc, Ndist };

// Base (LREG, TSC) or filter search over span and threshold. Filters start
// every trial from the positions the bars held when the search began. A span
// the study's computation refuses on this history is not tried.
inline Best spanThreshold(ProductRegistry& registry, const std::string& name, SpanStudy study, bool asFilter,
                          const SpanThresholdGrid& grid, const TrialObserver& observe = {}) {
    Best best;
    const int n = historyLength(registry, name);
    const std::vector<int> saved = positions(registry, name);
    auto apply = [&](int span, double threshold) {
        if (asFilter) restorePositions(registry, name, saved);
        switch (study) {
            case SpanStudy::Lreg: applyLreg(registry, name, span, threshold, asFilter); break;
            case SpanStudy::Tsc: applyTsc(registry, name, span, threshold, asFilter); break;
            case SpanStudy::Roc: applyRoc(registry, name, span, threshold); break;
            case SpanStudy::Ndist: applyNdist(registry, name, span, threshold); break;
        }
    };
    for (int span = grid.span.first; span <= grid.span.last; ++span) {
        const bool computable = study == SpanStudy::Roc     ? span >= 1
                                : study == SpanStudy::Ndist ? span >= 3 && n > span
                                                            : span >= 3 && n >= span;
        if (!computable) continue;
        for (double t = grid.threshold.start; t < grid.threshold.limit; t += grid.threshold.step)
            keepIfBetter(best, registry, name, [&] { apply(span, t); }, span, -999, -999, t, observe);
    }
    if (best.span1 != -999) apply(best.span1, best.threshold);
    return best;
}

}  // namespace varkel::reference
