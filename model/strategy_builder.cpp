#include "model/strategy_builder.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "model/optimisers.h"
#include "model/saved_model.h"
#include "model/trade_model_file.h"
#include "studies/study_catalogue.h"

#include <vector>

namespace varkel {

namespace {

OptimiserResult optimiseBase(ProductRegistry& registry, const std::string& name, StudyKind kind,
                             const OptimiserControl& control, const BuildGrids& grids) {
    switch (kind) {
        case StudyKind::Macd: return optimiseMacd(registry, name, control, grids.macd);
        case StudyKind::TimeSeriesCorrelation: return optimiseTsc(registry, name, false, control, grids.tsc);
        case StudyKind::LinearRegression: return optimiseLreg(registry, name, false, control, grids.lreg);
        case StudyKind::Stochastics: return optimiseStochastics(registry, name, control, grids.stochastics);
        default: return optimiseKeltner(registry, name, control, grids.keltner);
    }
}

OptimiserResult optimiseFilter(ProductRegistry& registry, const std::string& name, StudyKind kind,
                               const OptimiserControl& control, const BuildGrids& grids) {
    switch (kind) {
        case StudyKind::TimeSeriesCorrelation: return optimiseTsc(registry, name, true, control, grids.tsc);
        case StudyKind::RateOfChange: return optimiseRoc(registry, name, control, grids.roc);
        case StudyKind::LinearRegression: return optimiseLreg(registry, name, true, control, grids.lreg);
        default: return optimiseNdist(registry, name, control, grids.ndist);
    }
}

// The model keeps the base study's spans in baseParam1..3 and a real-valued
// parameter after them (threshold, multiplier) in baseThreshold.
void storeBase(TradeModel& model, StudyKind kind, const OptimiserResult& best) {
    const StudyInfo& study = *findStudy(kind);
    model.baseKind = kind;
    const int spans[3] = {best.span1, best.span2, best.span3};
    std::int32_t* const params[3] = {&model.baseParam1, &model.baseParam2, &model.baseParam3};
    for (std::size_t i = 0; i < study.spans.size(); ++i) *params[i] = spans[i];
    if (study.builderParameters.size() > study.spans.size()) model.baseThreshold = best.threshold;
}

}  // namespace

BuildResult buildStrategy(ProductRegistry& registry, const std::string& productName, const IndexChoice& choice,
                          const std::string& startDirectory, const BuildOptions& options) {
    BuildResult result;
    Product* product = registry.findProduct(productName);
    if (product == nullptr) return result;
    auto refusal = validateIndexChoice(choice);
    if (!refusal) refusal = validateHistoryLength(productName, product->historyLength(), choice);
    if (refusal) {
        result.outcome = BuildOutcome::Refused;
        result.refusal = *refusal;
        return result;
    }

    // Kept so that a cancelled build can give the user's bars back unchanged.
    const std::vector<Bar> barsBefore = product->bars;
    const StudyKind kinds[3] = {static_cast<StudyKind>(choice.baseKind),
                                choice.use2nd ? static_cast<StudyKind>(choice.secondKind) : StudyKind::NotInUse,
                                choice.use3rd ? static_cast<StudyKind>(choice.thirdKind) : StudyKind::NotInUse};
    TradeModel& model = result.model;
    for (int layer = 1; layer <= 3; ++layer) {
        const StudyKind kind = kinds[layer - 1];
        if (kind == StudyKind::NotInUse) continue;
        if (options.onLayerStarted) options.onLayerStarted(layer);
        OptimiserControl control;
        control.threads = options.threads;
        control.cancel = options.cancel;
        if (options.onProgress)
            control.onProgress = [&options, layer](std::int64_t done, std::int64_t total) {
                options.onProgress(layer, done, total);
            };
        const OptimiserResult best = layer == 1 ? optimiseBase(registry, productName, kind, control, options.grids)
                                                : optimiseFilter(registry, productName, kind, control, options.grids);
        if (best.cancelled) {
            registry.findProduct(productName)->bars = barsBefore;
            result.outcome = BuildOutcome::Cancelled;
            return result;
        }
        if (layer == 1) {
            storeBase(model, kind, best);
        } else if (layer == 2) {
            model.secondKind = kind;
            model.secondSpan = best.span1;
            model.secondThreshold = best.threshold;
        } else {
            model.thirdKind = kind;
            model.thirdSpan = best.span1;
            model.thirdThreshold = best.threshold;
        }
        result.layerReturns[static_cast<std::size_t>(layer - 1)] = best.bestReturn;
        if (options.onLayerDone) options.onLayerDone(layer, best.bestReturn);
    }

    applySavedModel(registry, productName, model);
    runBacktest(registry, productName);
    measureTradeModel(registry, productName, model);

    result.modelPath = performanceFilePath(startDirectory, productName).string();
    result.saved = saveTradeModel(model, result.modelPath);
    result.outcome = BuildOutcome::Built;
    return result;
}

}  // namespace varkel
