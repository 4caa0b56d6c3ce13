#include "robustness/walk_forward.h"

#include "model/backtest.h"
#include "robustness/history_cut.h"
#include "search/layer_search.h"
#include "search/trial_ledger.h"
#include "search/trial_selection.h"
#include "search/saved_model.h"
#include "search/search_kinds.h"

#include <optional>
#include <variant>

namespace varkel {

namespace {

LayerSearchSettings settingsFor(const WalkForwardOptions& options) {
    LayerSearchSettings settings;
    settings.grids = options.grids;
    settings.threads = options.threads;
    settings.cancel = options.cancel;
    return settings;
}

// What `model` earns over the bars [from, to) of the history cut at `to`,
// applied as the daily signal applies it; the daily values go to `daily`.
double testReturn(const Product& product, const TradeModel& model, int from, int to, std::vector<double>* daily) {
    ProductRegistry cut = historyCutAt(product, to);
    applySavedModel(cut, product.name, model);
    runBacktest(cut, product.name);
    const Product& tested = *cut.findProduct(product.name);
    if (daily != nullptr)
        for (int i = from; i < to; ++i) daily->push_back(i == 0 ? 0.0 : tested.bars[i].dailyPnl);
    return dailyPnlSum(tested, from, to);
}

}  // namespace

WalkForwardReport runWalkForward(const ProductRegistry& registry, std::string_view name, const IndexChoice& choice,
                                 const WalkForwardOptions& options) {
    WalkForwardReport report;
    const Product* product = registry.findProduct(name);
    if (product == nullptr) return report;
    if (validateIndexChoice(choice)) {
        report.outcome = WalkForwardOutcome::InvalidChoice;
        return report;
    }
    const int n = product->historyLength();
    const FoldPlan plan = planFolds(n, options.folds);
    if (plan.refusal != FoldRefusal::None) {
        report.outcome = WalkForwardOutcome::Refused;
        report.refusal = plan.refusal;
        return report;
    }
    const StudyKind baseKind = choice.layerKinds()[0];
    auto cancelled = [&] {
        report.outcome = WalkForwardOutcome::Cancelled;
        report.folds.clear();
        report.outOfSampleDaily.clear();
        report.wholeHistoryDaily.clear();
        return report;
    };

    // The base layer of every fold whose history is longer than any span of
    // the base grid tries the same trials as the whole history does, and
    // (studies read no later bar) each trial's daily P&L up to the fold's test
    // window is the same on both: one search over the whole history gives all
    // those folds their train-window sums, and the whole-history build its base.
    const int longest = std::visit([](const auto& grid) { return longestSpan(grid); }, findSearchKind(baseKind)->grid(options.grids));
    std::vector<int> sharedWindowOf;
    std::vector<BarWindow> sharedWindows;
    for (const Fold& fold : plan.folds) {
        const bool shared = fold.trainTo > longest;
        sharedWindowOf.push_back(shared ? static_cast<int>(sharedWindows.size()) : -1);
        if (shared) sharedWindows.push_back({fold.trainFrom, fold.trainTo});
    }

    // The normal build on the whole history, its base search keeping the folds' sums.
    const ProductRegistry whole = historyCutAt(*product, n);
    LayerSearchSettings wholeSettings = settingsFor(options);
    wholeSettings.ledgerWindows[0] = sharedWindows;
    if (options.onProgress)
        wholeSettings.onProgress = [&options](int layer, std::int64_t done, std::int64_t total) {
            if (layer == 1) options.onProgress(WalkForwardStage::BaseSearch, done, total);
        };
    LayerSearchResult wholeBuild =
        searchLayers(*whole.findProduct(name), choice, wholeSettings, LayerRating{std::nullopt, options.selection});
    if (wholeBuild.cancelled) return cancelled();
    // A ledger over its budget recorded nothing (see TrialLedger::maxBytes):
    // the folds cannot be rated, and the trader hears why.
    if (const TrialLedger& ledger = *wholeBuild.layers[0]->ledger; ledger.overBudget()) {
        report.outcome = WalkForwardOutcome::TooMuchMemory;
        report.ledgerBytesWanted = ledger.bytesWanted();
        report.plannedFolds = static_cast<int>(plan.folds.size());
        return report;
    }
    report.wholeHistoryModel = wholeBuild.model;
    const int firstTest = plan.folds.front().testFrom;
    report.wholeHistoryTestReturn =
        testReturn(*product, report.wholeHistoryModel, firstTest, n, &report.wholeHistoryDaily);

    const TrialLedger& baseLedger = *wholeBuild.layers[0]->ledger;
    const TrialSelector baseSelector(baseLedger, baseKind, options.selection);
    for (std::size_t k = 0; k < plan.folds.size(); ++k) {
        if (options.cancel != nullptr && options.cancel->load()) return cancelled();
        const Fold& fold = plan.folds[k];
        FoldResult result;
        result.bars = fold;
        const ProductRegistry history = historyCutAt(*product, fold.trainTo);
        LayerSearchSettings foldSettings = settingsFor(options);
        if (sharedWindowOf[k] >= 0) {
            const std::optional<std::size_t> row = baseSelector.select(sharedWindowOf[k]);
            foldSettings.knownBase =
                chosenLayer(baseKind, row ? std::optional(baseLedger.parameters(*row)) : std::nullopt);
        }
        const LayerSearchResult searched = searchLayers(*history.findProduct(name), choice, foldSettings,
                                                        LayerRating{BarWindow{fold.trainFrom, fold.trainTo},
                                                                    options.selection});
        if (searched.cancelled) return cancelled();
        result.model = searched.model;
        ProductRegistry tested = history;
        applySavedModel(tested, name, result.model);
        runBacktest(tested, name);
        result.inSampleReturn = dailyPnlSum(*tested.findProduct(name), fold.trainFrom, fold.trainTo);
        result.outOfSampleReturn =
            testReturn(*product, result.model, fold.testFrom, fold.testTo, &report.outOfSampleDaily);
        report.folds.push_back(result);
        if (options.onProgress)
            options.onProgress(WalkForwardStage::FoldBuilds, static_cast<std::int64_t>(k + 1),
                               static_cast<std::int64_t>(plan.folds.size()));
    }
    report.totals = summariseFolds(report.folds, report.outOfSampleDaily);
    report.outcome = WalkForwardOutcome::Done;
    return report;
}

}  // namespace varkel
