#include "builder/strategy_builder.h"

#include "model/backtest.h"
#include "model/measures.h"
#include "search/saved_model.h"
#include "model/trade_columns.h"
#include "robustness/deflated_sharpe.h"
#include "search/optimisers.h"

#include <vector>

namespace varkel {

namespace {

// In a layer's progress the scoring of its trials (the PBO's two passes)
// counts as this share of its search, about what it costs beside it.
constexpr std::int64_t scoringShareOfSearch = 8;

}  // namespace

std::optional<std::string> validateBuildOptions(const BuildOptions& options) {
    if (options.robustness && !isValidPnlBlockCount(options.pnlBlockCount))
        return "The number of P&L blocks must be even, from " + std::to_string(minPnlBlocks) + " to " +
               std::to_string(maxPnlBlocks) + ", not " + std::to_string(options.pnlBlockCount);
    return std::nullopt;
}

BuildResult buildStrategy(ProductRegistry& registry, const std::string& productName, const IndexChoice& choice,
                          const BuildOptions& options) {
    BuildResult result;
    Product* product = registry.findProduct(productName);
    if (product == nullptr) {
        result.refuse(noProductRefusal(productName));
        return result;
    }
    auto refusal = validateIndexChoice(choice);
    if (!refusal) refusal = validateHistoryLength(productName, product->historyLength(), choice);
    if (!refusal) refusal = validateBuildOptions(options);
    if (refusal) {
        result.refuse(std::move(*refusal));
        return result;
    }

    const int historyLength = product->historyLength();
    LayerSearchSettings settings;
    static_cast<WorkControl&>(settings) = options;
    settings.grids = options.grids;
    // A layer's work: its trials, then (with the statistics) their scoring as a share of them.
    std::int64_t searchTotal = 0;
    const bool scored = options.robustness;
    if (options.onProgress)
        settings.onProgress = [&](int layer, std::int64_t done, std::int64_t total) {
            searchTotal = total;
            options.onProgress(layer, done, total + (scored ? total / scoringShareOfSearch : 0));
        };
    if (options.robustness) {
        // Empty when the history has fewer P&L bars than blocks: no layer gets a PBO then.
        const std::vector<BarWindow> blocks = pnlBlocks(historyLength, options.pnlBlockCount);
        settings.ledgerWindows = {blocks, blocks, blocks};
        // The base layer's squares give its trials' Sharpe ratios for the deflated Sharpe ratio.
        settings.baseSumsOfSquares = true;
    }
    BuildRobustness& robustness = result.robustness;
    settings.onLayerSearched = [&](int layer, const LayerChoice& chosen) {
        if (chosen.ledger) {
            WorkControl scoring = options.atStage(layer);
            if (options.onProgress)
                scoring.onProgress = [&](int, std::int64_t done, std::int64_t total) {
                    const std::int64_t share = searchTotal / scoringShareOfSearch;
                    if (share > 0 && total > 0)
                        options.onProgress(layer, searchTotal + share * done / total, searchTotal + share);
                };
            const TrialLedger& ledger = *chosen.ledger;
            PboResult pbo = layerOverfitting(ledger, options.pnlBlockCount, scoring);
            if (pbo.cancelled) return false;
            robustness.layers[static_cast<std::size_t>(layer - 1)] = std::move(pbo);
            robustness.trials += static_cast<std::int64_t>(ledger.rowCount());
            if (layer == 1) {
                robustness.baseSharpeSpread =
                    trialSharpeSpread(ledger.finalReturns(), ledger.sumsOfSquares(),
                                      static_cast<std::int64_t>(ledger.rowCount()), historyLength - 1);
                robustness.baseSurface = ledgerSurface(ledger, chosen.layer.kind);
            }
        }
        // A layer whose search kept no trial reports the optimisers' start value.
        const double layerReturn = chosen.rating.value_or(searchStartReturn);
        result.layerReturns[static_cast<std::size_t>(layer - 1)] = layerReturn;
        if (options.onLayerDone) options.onLayerDone(layer, layerReturn);
        return true;
    };
    const LayerRating rating{std::nullopt, options.selection};
    const LayerSearchResult searched = searchLayers(*product, choice, settings, rating);
    if (searched.outcome == RunOutcome::Cancelled) {
        result = BuildResult{};
        result.outcome = RunOutcome::Cancelled;
        return result;
    }

    // The model rebuilt on a copy, so that the product keeps its charted studies.
    ProductRegistry work = registry;
    result.model = searched.model;
    applySavedModel(work, productName, result.model);
    runBacktest(work, productName);
    measureTradeModel(work, productName, result.model);
    copyTradeColumns(*work.findProduct(productName), *product);
    if (options.robustness) {
        robustness.computed = true;
        robustness.plateau = options.selection == TrialSelection::plateau;
        robustness.blockCount = options.pnlBlockCount;
        robustness.sharpe = builtModelSharpe(product->bars, historyLength,
                                             robustness.baseSharpeSpread.variance, robustness.trials);
    }
    result.outcome = RunOutcome::Done;
    return result;
}

}  // namespace varkel
