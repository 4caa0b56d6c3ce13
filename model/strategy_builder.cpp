#include "model/strategy_builder.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "model/layer_search.h"
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

}  // namespace

BuildResult buildStrategy(ProductRegistry& registry, const std::string& productName, const IndexChoice& choice,
                          const std::string& startDirectory, const BuildOptions& options) {
    BuildResult result;
    Product* product = registry.findProduct(productName);
    if (product == nullptr) return result;
    if (auto refusal = validateIndexChoice(choice)) {
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
        const OptimiserResult best = searchLayer(registry, productName, layer, kind, control, options.grids);
        if (best.cancelled) {
            registry.findProduct(productName)->bars = barsBefore;
            result.outcome = BuildOutcome::Cancelled;
            return result;
        }
        storeLayer(model, layer, kind, parametersOf(best));
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
