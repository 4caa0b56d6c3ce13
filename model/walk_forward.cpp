#include "model/walk_forward.h"

#include "model/backtest.h"
#include "model/history_cut.h"
#include "model/layer_search.h"
#include "model/trial_ledger.h"
#include "model/saved_model.h"

#include <optional>

namespace varkel {

namespace {

// The layers to build: kinds of layers 1 .. 3, NotInUse where not in use.
struct Layers {
    StudyKind kinds[3];
    explicit Layers(const IndexChoice& choice)
        : kinds{static_cast<StudyKind>(choice.baseKind),
                choice.use2nd ? static_cast<StudyKind>(choice.secondKind) : StudyKind::NotInUse,
                choice.use3rd ? static_cast<StudyKind>(choice.thirdKind) : StudyKind::NotInUse} {}
};

OptimiserControl controlFor(const WalkForwardOptions& options, TrialLedger* ledger) {
    OptimiserControl control;
    control.threads = options.threads;
    control.cancel = options.cancel;
    control.ledger = ledger;
    return control;
}

// The chosen trial of one ledger window, or the searches' "nothing chosen"
// values when no trial beat their start value.
TrialParameters chosenTrial(const TrialLedger& ledger, const TrialSelector& selector, int window) {
    const std::optional<std::size_t> row = selector.select(window);
    return row ? ledger.parameters(*row) : TrialParameters{};
}

// One layer searched on `history` and chosen by its sums over `train`.
std::optional<TrialParameters> searchOnWindow(ProductRegistry& history, std::string_view name, int layer, StudyKind kind,
                                              BarWindow train, const WalkForwardOptions& options) {
    TrialLedger ledger({train});
    const OptimiserResult result =
        searchLayer(history, name, kind, layer > 1, controlFor(options, &ledger), options.grids, TrialSelection::best);
    if (result.cancelled) return std::nullopt;
    return chosenTrial(ledger, TrialSelector(ledger, kind, options.selection), 0);
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
    const Layers layers(choice);
    const StudyKind baseKind = layers.kinds[0];
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
    const int longest = longestBaseSpan(baseKind, options.grids);
    std::vector<int> sharedWindowOf;
    std::vector<BarWindow> sharedWindows;
    for (const Fold& fold : plan.folds) {
        const bool shared = fold.trainTo > longest;
        sharedWindowOf.push_back(shared ? static_cast<int>(sharedWindows.size()) : -1);
        if (shared) sharedWindows.push_back({fold.trainFrom, fold.trainTo});
    }
    ProductRegistry whole = historyCutAt(*product, n);
    TrialLedger baseLedger(sharedWindows);
    OptimiserControl baseControl = controlFor(options, &baseLedger);
    // The ledger is sized when the search starts: one over its budget stops
    // the search at its first progress report instead of running it for nothing.
    std::atomic<bool> stopBase{false};
    baseControl.cancel = &stopBase;
    baseControl.onProgress = [&](std::int64_t done, std::int64_t total) {
        if (baseLedger.overBudget() || (options.cancel != nullptr && options.cancel->load())) stopBase = true;
        if (options.onProgress) options.onProgress(WalkForwardStage::BaseSearch, done, total);
    };
    const OptimiserResult wholeBase = searchLayer(whole, name, baseKind, false, baseControl, options.grids,
                                                  options.selection);
    if (baseLedger.overBudget()) {
        report.outcome = WalkForwardOutcome::TooMuchMemory;
        report.ledgerBytesWanted = baseLedger.bytesWanted();
        report.plannedFolds = static_cast<int>(plan.folds.size());
        return report;
    }
    if (wholeBase.cancelled) return cancelled();

    // The normal build on the whole history: its filter layers on top of its base.
    storeLayer(report.wholeHistoryModel, 1, baseKind, parametersOf(wholeBase));
    for (int layer = 2; layer <= 3; ++layer) {
        const StudyKind kind = layers.kinds[layer - 1];
        if (kind == StudyKind::NotInUse) continue;
        const OptimiserResult best = searchLayer(whole, name, kind, layer > 1, controlFor(options, nullptr), options.grids,
                                                 options.selection);
        if (best.cancelled) return cancelled();
        storeLayer(report.wholeHistoryModel, layer, kind, parametersOf(best));
    }
    const int firstTest = plan.folds.front().testFrom;
    report.wholeHistoryTestReturn =
        testReturn(*product, report.wholeHistoryModel, firstTest, n, &report.wholeHistoryDaily);

    const TrialSelector baseSelector(baseLedger, baseKind, options.selection);
    for (std::size_t k = 0; k < plan.folds.size(); ++k) {
        if (options.cancel != nullptr && options.cancel->load()) return cancelled();
        const Fold& fold = plan.folds[k];
        const BarWindow train{fold.trainFrom, fold.trainTo};
        FoldResult result;
        result.bars = fold;
        ProductRegistry history = historyCutAt(*product, fold.trainTo);
        for (int layer = 1; layer <= 3; ++layer) {
            const StudyKind kind = layers.kinds[layer - 1];
            if (kind == StudyKind::NotInUse) continue;
            std::optional<TrialParameters> chosen;
            if (layer == 1 && sharedWindowOf[k] >= 0) {
                chosen = chosenTrial(baseLedger, baseSelector, sharedWindowOf[k]);
            } else {
                // Each layer searches over the positions of the layers chosen before it.
                applySavedModel(history, name, result.model);
                chosen = searchOnWindow(history, name, layer, kind, train, options);
            }
            if (!chosen) return cancelled();
            storeLayer(result.model, layer, kind, *chosen);
        }
        applySavedModel(history, name, result.model);
        runBacktest(history, name);
        result.inSampleReturn = dailyPnlSum(*history.findProduct(name), fold.trainFrom, fold.trainTo);
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
