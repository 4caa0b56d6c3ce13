#include "model/layer_search.h"

#include "studies/study_catalogue.h"

#include <algorithm>

namespace varkel {

OptimiserResult searchLayer(ProductRegistry& registry, std::string_view name, int layer, StudyKind kind,
                            const OptimiserControl& control, const BuildGrids& grids) {
    if (layer == 1) {
        switch (kind) {
            case StudyKind::Macd: return optimiseMacd(registry, name, control, grids.macd);
            case StudyKind::TimeSeriesCorrelation: return optimiseTsc(registry, name, false, control, grids.tsc);
            case StudyKind::LinearRegression: return optimiseLreg(registry, name, false, control, grids.lreg);
            case StudyKind::Stochastics: return optimiseStochastics(registry, name, control, grids.stochastics);
            default: return optimiseKeltner(registry, name, control, grids.keltner);
        }
    }
    switch (kind) {
        case StudyKind::TimeSeriesCorrelation: return optimiseTsc(registry, name, true, control, grids.tsc);
        case StudyKind::RateOfChange: return optimiseRoc(registry, name, control, grids.roc);
        case StudyKind::LinearRegression: return optimiseLreg(registry, name, true, control, grids.lreg);
        default: return optimiseNdist(registry, name, control, grids.ndist);
    }
}

void storeLayer(TradeModel& model, int layer, StudyKind kind, const TrialParameters& chosen) {
    if (layer == 1) {
        // The base study's spans go to baseParam1..3 and a real-valued
        // parameter after them (threshold, multiplier) to baseThreshold.
        const StudyInfo& study = *findStudy(kind);
        model.baseKind = kind;
        const int spans[3] = {chosen.span1, chosen.span2, chosen.span3};
        std::int32_t* const params[3] = {&model.baseParam1, &model.baseParam2, &model.baseParam3};
        for (std::size_t i = 0; i < study.spans.size(); ++i) *params[i] = spans[i];
        if (study.builderParameters.size() > study.spans.size()) model.baseThreshold = chosen.threshold;
    } else if (layer == 2) {
        model.secondKind = kind;
        model.secondSpan = chosen.span1;
        model.secondThreshold = chosen.threshold;
    } else {
        model.thirdKind = kind;
        model.thirdSpan = chosen.span1;
        model.thirdThreshold = chosen.threshold;
    }
}

TrialParameters parametersOf(const OptimiserResult& result) {
    return {result.span1, result.span2, result.span3, result.threshold};
}

int longestBaseSpan(StudyKind kind, const BuildGrids& grids) {
    switch (kind) {
        case StudyKind::Macd: return std::max({grids.macd.fast.last, grids.macd.slowLast, grids.macd.signal.last});
        case StudyKind::TimeSeriesCorrelation: return grids.tsc.span.last;
        case StudyKind::LinearRegression: return grids.lreg.span.last;
        case StudyKind::Stochastics:
            return std::max({grids.stochastics.k.last, grids.stochastics.d.last, grids.stochastics.slowD.last});
        default: return std::max(grids.keltner.ema.last, grids.keltner.atr.last);
    }
}

}  // namespace varkel
