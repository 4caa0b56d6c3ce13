#include "model/layer_search.h"

#include <algorithm>

namespace varkel {

OptimiserResult searchLayer(ProductRegistry& registry, std::string_view name, int layer, int kind,
                            const OptimiserControl& control, const BuildGrids& grids) {
    if (layer == 1) {
        switch (kind) {
            case 5: return optimiseMacd(registry, name, control, grids.macd);
            case 8: return optimiseTsc(registry, name, false, control, grids.tsc);
            case 10: return optimiseLreg(registry, name, false, control, grids.lreg);
            case 12: return optimiseStochastics(registry, name, control, grids.stochastics);
            default: return optimiseKeltner(registry, name, control, grids.keltner);
        }
    }
    switch (kind) {
        case 8: return optimiseTsc(registry, name, true, control, grids.tsc);
        case 9: return optimiseRoc(registry, name, control, grids.roc);
        case 10: return optimiseLreg(registry, name, true, control, grids.lreg);
        default: return optimiseNdist(registry, name, control, grids.ndist);
    }
}

void storeLayer(TradeModel& model, int layer, int kind, const TrialParameters& chosen) {
    if (layer == 1) {
        model.baseKind = static_cast<StudyKind>(kind);
        model.baseParam1 = chosen.span1;
        if (kind == 8 || kind == 10) {
            model.baseThreshold = chosen.threshold;
        } else if (kind == 13) {
            model.baseParam2 = chosen.span2;
            model.baseThreshold = chosen.threshold;
        } else {
            model.baseParam2 = chosen.span2;
            model.baseParam3 = chosen.span3;
        }
    } else if (layer == 2) {
        model.secondKind = static_cast<StudyKind>(kind);
        model.secondSpan = chosen.span1;
        model.secondThreshold = chosen.threshold;
    } else {
        model.thirdKind = static_cast<StudyKind>(kind);
        model.thirdSpan = chosen.span1;
        model.thirdThreshold = chosen.threshold;
    }
}

TrialParameters parametersOf(const OptimiserResult& result) {
    return {result.span1, result.span2, result.span3, result.threshold};
}

int longestBaseSpan(int kind, const BuildGrids& grids) {
    switch (kind) {
        case 5: return std::max({grids.macd.fast.last, grids.macd.slowLast, grids.macd.signal.last});
        case 8: return grids.tsc.span.last;
        case 10: return grids.lreg.span.last;
        case 12: return std::max({grids.stochastics.k.last, grids.stochastics.d.last, grids.stochastics.slowD.last});
        default: return std::max(grids.keltner.ema.last, grids.keltner.atr.last);
    }
}

}  // namespace varkel
