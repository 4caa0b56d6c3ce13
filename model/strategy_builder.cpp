#include "model/strategy_builder.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "model/layer_search.h"
#include "model/saved_model.h"
#include "model/trade_columns.h"
#include "model/trade_model_file.h"
#include "robustness/deflated_sharpe.h"

#include <vector>

namespace varkel {

namespace {

// In a layer's progress the scoring of its trials (the PBO's two passes)
// counts as this share of its search, about what it costs beside it.
constexpr std::int64_t scoringShareOfSearch = 8;

// The controls of one layer: its search reports its trials, then its scoring
// reports the rest of the layer's work in the same units.
struct LayerControls {
    OptimiserControl search;
    WorkControl scoring;
    std::int64_t searchTotal = 0;  // set by the search's reports, read after it has ended

    LayerControls(const BuildOptions& options, int layer) {
        search.threads = options.threads;
        search.cancel = options.cancel;
        scoring.threads = options.threads;
        scoring.cancel = options.cancel;
        if (!options.onProgress) return;
        const bool scored = options.robustness;
        search.onProgress = [this, &options, layer, scored](std::int64_t done, std::int64_t total) {
            searchTotal = total;
            options.onProgress(layer, done, total + (scored ? total / scoringShareOfSearch : 0));
        };
        scoring.onProgress = [this, &options, layer](std::int64_t done, std::int64_t total) {
            const std::int64_t share = searchTotal / scoringShareOfSearch;
            if (share > 0 && total > 0) options.onProgress(layer, searchTotal + share * done / total, searchTotal + share);
        };
    }
    LayerControls(const LayerControls&) = delete;
    LayerControls& operator=(const LayerControls&) = delete;
};

}  // namespace

BuildResult buildStrategy(ProductRegistry& registry, const std::string& productName, const IndexChoice& choice,
                          const std::string& startDirectory, const BuildOptions& options) {
    BuildResult result;
    Product* product = registry.findProduct(productName);
    if (product == nullptr) return result;
    auto refusal = validateIndexChoice(choice);
    if (!refusal) refusal = validateHistoryLength(productName, product->historyLength(), choice);
    if (!refusal && options.robustness && !isValidPnlBlockCount(options.pnlBlockCount))
        refusal = "The number of P&L blocks must be even, from " + std::to_string(minPnlBlocks) + " to " +
                  std::to_string(maxPnlBlocks);
    if (refusal) {
        result.outcome = BuildOutcome::Refused;
        result.refusal = *refusal;
        return result;
    }

    // The search writes every trial's studies into the bars: it runs on a copy,
    // so a cancelled build leaves nothing and a finished one brings back only
    // the model's positions and P&L.
    ProductRegistry work = registry;
    auto cancelled = [&] {
        result.outcome = BuildOutcome::Cancelled;
        return result;
    };
    const StudyKind kinds[3] = {static_cast<StudyKind>(choice.baseKind),
                                choice.use2nd ? static_cast<StudyKind>(choice.secondKind) : StudyKind::NotInUse,
                                choice.use3rd ? static_cast<StudyKind>(choice.thirdKind) : StudyKind::NotInUse};
    const int historyLength = product->historyLength();
    // Empty when the history has fewer P&L bars than blocks: no layer gets a PBO then.
    const std::vector<BarWindow> blocks =
        options.robustness ? pnlBlocks(historyLength, options.pnlBlockCount) : std::vector<BarWindow>{};
    BuildRobustness& robustness = result.robustness;
    TradeModel& model = result.model;
    for (int layer = 1; layer <= 3; ++layer) {
        const StudyKind kind = kinds[layer - 1];
        if (kind == StudyKind::NotInUse) continue;
        if (options.onLayerStarted) options.onLayerStarted(layer);
        LayerControls controls(options, layer);
        // The base layer's squares give its trials' Sharpe ratios for the deflated Sharpe ratio.
        std::optional<TrialLedger> ledger;
        if (options.robustness) controls.search.ledger = &ledger.emplace(blocks, layer == 1);
        const OptimiserResult chosen =
            searchLayer(work, productName, kind, layer > 1, controls.search, options.grids, options.selection);
        if (chosen.cancelled) return cancelled();
        if (ledger) {
            PboResult pbo = layerOverfitting(*ledger, options.pnlBlockCount, controls.scoring);
            if (pbo.cancelled) return cancelled();
            robustness.layers[static_cast<std::size_t>(layer - 1)] = std::move(pbo);
            robustness.trials += static_cast<std::int64_t>(ledger->rowCount());
            if (layer == 1) {
                robustness.baseSharpeSpread =
                    trialSharpeSpread(ledger->finalReturns(), ledger->sumsOfSquares(),
                                      static_cast<std::int64_t>(ledger->rowCount()), historyLength - 1);
                robustness.baseSurface = ledgerSurface(*ledger, kind);
            }
        }
        storeLayer(model, layer, kind, parametersOf(chosen));
        result.layerReturns[static_cast<std::size_t>(layer - 1)] = chosen.bestReturn;
        if (options.onLayerDone) options.onLayerDone(layer, chosen.bestReturn);
    }

    applySavedModel(work, productName, model);
    runBacktest(work, productName);
    measureTradeModel(work, productName, model);
    copyTradeColumns(*work.findProduct(productName), *product);
    if (options.robustness) {
        robustness.computed = true;
        robustness.plateau = options.selection == TrialSelection::plateau;
        robustness.blockCount = options.pnlBlockCount;
        robustness.sharpe = builtModelSharpe(product->bars, historyLength,
                                             robustness.baseSharpeSpread.variance, robustness.trials);
    }

    result.modelPath = performanceFilePath(startDirectory, productName).string();
    if (options.saveModel) result.saved = saveTradeModel(model, result.modelPath);
    result.outcome = BuildOutcome::Built;
    return result;
}

}  // namespace varkel
