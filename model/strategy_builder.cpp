#include "model/strategy_builder.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "model/layer_search.h"
#include "model/saved_model.h"
#include "model/trade_model_file.h"

#include <vector>

namespace varkel {

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
        const OptimiserResult best = searchLayer(registry, productName, layer, kind, control, options.grids);
        if (best.cancelled) {
            registry.findProduct(productName)->bars = barsBefore;
            result.outcome = BuildOutcome::Cancelled;
            return result;
        }
        storeLayer(model, layer, kind, parametersOf(best));
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
