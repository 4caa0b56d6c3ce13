#include "model/strategy_builder.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "model/optimisers.h"
#include "model/trade_model_file.h"
#include "report/saved_model.h"

#include <cstdio>
#include <vector>

namespace varkel {

namespace {

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

OptimiserResult optimiseBase(ProductRegistry& registry, const std::string& name, int kind,
                             const OptimiserControl& control, const BuildGrids& grids) {
    switch (kind) {
        case 5: return optimiseMacd(registry, name, control, grids.macd);
        case 8: return optimiseTsc(registry, name, false, control, grids.tsc);
        case 10: return optimiseLreg(registry, name, false, control, grids.lreg);
        case 12: return optimiseStochastics(registry, name, control, grids.stochastics);
        default: return optimiseKeltner(registry, name, control, grids.keltner);
    }
}

OptimiserResult optimiseFilter(ProductRegistry& registry, const std::string& name, int kind,
                               const OptimiserControl& control, const BuildGrids& grids) {
    switch (kind) {
        case 8: return optimiseTsc(registry, name, true, control, grids.tsc);
        case 9: return optimiseRoc(registry, name, control, grids.roc);
        case 10: return optimiseLreg(registry, name, true, control, grids.lreg);
        default: return optimiseNdist(registry, name, control, grids.ndist);
    }
}

void storeBase(TradeModel& model, int kind, const OptimiserResult& best) {
    model.baseKind = static_cast<StudyKind>(kind);
    model.baseParam1 = best.span1;
    if (kind == 8 || kind == 10) {
        model.baseThreshold = best.threshold;
    } else if (kind == 13) {
        model.baseParam2 = best.span2;
        model.baseThreshold = best.threshold;
    } else {
        model.baseParam2 = best.span2;
        model.baseParam3 = best.span3;
    }
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
    const int kinds[3] = {choice.baseKind, choice.use2nd ? choice.secondKind : -999,
                          choice.use3rd ? choice.thirdKind : -999};
    TradeModel& model = result.model;
    for (int layer = 1; layer <= 3; ++layer) {
        const int kind = kinds[layer - 1];
        if (kind == -999) continue;
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
            model.secondKind = static_cast<StudyKind>(kind);
            model.secondSpan = best.span1;
            model.secondThreshold = best.threshold;
        } else {
            model.thirdKind = static_cast<StudyKind>(kind);
            model.thirdSpan = best.span1;
            model.thirdThreshold = best.threshold;
        }
        result.layerTexts[layer - 1] = formatted("Return = %10.4f", best.bestReturn);
        if (options.onLayerDone) options.onLayerDone(layer, result.layerTexts[layer - 1]);
    }

    applySavedModel(registry, productName, model);
    runBacktest(registry, productName);
    finalReturn(registry, productName);
    measureTradeModel(registry, productName, model);
    result.sharpeText = formatted("%10.4f", model.sharpeRatio);
    result.kellyText = formatted("%10.4f", model.kellyFormula);
    result.winningRateText = formatted("%10.4f", model.winningRate);

    result.modelPath = performanceFilePath(startDirectory, productName).string();
    result.saved = saveTradeModel(model, result.modelPath);
    result.outcome = BuildOutcome::Built;
    return result;
}

}  // namespace varkel
