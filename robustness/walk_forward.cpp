#include "robustness/walk_forward.h"

#include "base/formatted_text.h"
#include "model/backtest.h"
#include "robustness/history_cut.h"
#include "search/layer_search.h"
#include "search/trial_ledger.h"
#include "search/trial_selection.h"
#include "search/saved_model.h"
#include "search/search_kinds.h"

#include <limits>
#include <optional>
#include <variant>
#include <vector>

namespace varkel {

namespace {

// The folds' searches report no progress of their own: the fold builds count in folds.
LayerSearchSettings settingsFor(const WalkForwardOptions& options) {
    LayerSearchSettings settings;
    settings.threads = options.threads;
    settings.cancel = options.cancel;
    settings.grids = options.grids;
    return settings;
}

std::string memoryRefusal(std::size_t bytesWanted, std::size_t folds) {
    const auto gigabytes = [](std::size_t bytes) { return formattedText("%.1f GB", static_cast<double>(bytes) / (1 << 30)); };
    return "Not enough memory for the walk-forward: its " + std::to_string(folds) + " folds would need " +
           gigabytes(bytesWanted) + " to keep every base trial's train-window sums, more than the " +
           gigabytes(TrialLedger::maxBytes) + " it may take. Use a longer test window (fewer folds).";
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

std::optional<std::string> validateWalkForwardOptions(const WalkForwardOptions& options) {
    // Checked on a history one bar longer than the train length: only the settings can refuse it.
    const int trainBars = options.folds.trainBars;
    const int longerThanTrain = trainBars < std::numeric_limits<int>::max() ? trainBars + 1 : trainBars;
    const FoldRefusal refusal = planFolds(longerThanTrain, options.folds).refusal;
    if (refusal == FoldRefusal::None || refusal == FoldRefusal::NothingToTest) return std::nullopt;
    return foldRefusalText(refusal, longerThanTrain, options.folds);
}

WalkForwardReport runWalkForward(const ProductRegistry& registry, std::string_view name, const IndexChoice& choice,
                                 const WalkForwardOptions& options) {
    WalkForwardReport report;
    auto refused = [&report](std::string why) {
        report.refuse(std::move(why));
        return report;
    };
    const Product* product = registry.findProduct(name);
    if (product == nullptr) return refused(noProductRefusal(name));
    if (auto refusal = validateIndexChoice(choice)) return refused(std::move(*refusal));
    const int n = product->historyLength();
    const FoldPlan plan = planFolds(n, options.folds);
    if (plan.refusal != FoldRefusal::None) return refused(foldRefusalText(plan.refusal, n, options.folds));
    const StudyKind baseKind = choice.layerKinds()[0];
    auto cancelled = [&] {
        report.outcome = RunOutcome::Cancelled;
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
            if (layer == 1) options.onProgress(static_cast<int>(WalkForwardStage::BaseSearch), done, total);
        };
    LayerSearchResult wholeBuild =
        searchLayers(*whole.findProduct(name), choice, wholeSettings, LayerRating{std::nullopt, options.selection});
    if (wholeBuild.outcome == RunOutcome::Cancelled) return cancelled();
    // A ledger over its budget recorded nothing (see TrialLedger::maxBytes):
    // the folds cannot be rated, and the trader hears why.
    if (const TrialLedger& ledger = *wholeBuild.layers[0]->ledger; ledger.overBudget())
        return refused(memoryRefusal(ledger.bytesWanted(), plan.folds.size()));
    report.wholeHistoryModel = wholeBuild.model;
    const int firstTest = plan.folds.front().testFrom;
    report.wholeHistoryTestReturn =
        testReturn(*product, report.wholeHistoryModel, firstTest, n, &report.wholeHistoryDaily);

    const TrialLedger& baseLedger = *wholeBuild.layers[0]->ledger;
    const std::vector<std::optional<std::size_t>> baseRows =
        TrialSelector(baseLedger, baseKind, options.selection).selectEach();
    for (std::size_t k = 0; k < plan.folds.size(); ++k) {
        if (options.cancelled()) return cancelled();
        const Fold& fold = plan.folds[k];
        FoldResult result;
        result.bars = fold;
        const ProductRegistry history = historyCutAt(*product, fold.trainTo);
        LayerSearchSettings foldSettings = settingsFor(options);
        if (sharedWindowOf[k] >= 0) {
            const std::optional<std::size_t> row = baseRows[static_cast<std::size_t>(sharedWindowOf[k])];
            foldSettings.knownBase =
                chosenLayer(baseKind, row ? std::optional(baseLedger.parameters(*row)) : std::nullopt);
        }
        const LayerSearchResult searched = searchLayers(*history.findProduct(name), choice, foldSettings,
                                                        LayerRating{BarWindow{fold.trainFrom, fold.trainTo},
                                                                    options.selection});
        if (searched.outcome == RunOutcome::Cancelled) return cancelled();
        result.model = searched.model;
        ProductRegistry tested = history;
        applySavedModel(tested, name, result.model);
        runBacktest(tested, name);
        result.inSampleReturn = dailyPnlSum(*tested.findProduct(name), fold.trainFrom, fold.trainTo);
        result.outOfSampleReturn =
            testReturn(*product, result.model, fold.testFrom, fold.testTo, &report.outOfSampleDaily);
        report.folds.push_back(result);
        if (options.onProgress)
            options.onProgress(static_cast<int>(WalkForwardStage::FoldBuilds), static_cast<std::int64_t>(k + 1),
                               static_cast<std::int64_t>(plan.folds.size()));
    }
    report.totals = summariseFolds(report.folds, report.outOfSampleDaily);
    report.outcome = RunOutcome::Done;
    return report;
}

}  // namespace varkel
