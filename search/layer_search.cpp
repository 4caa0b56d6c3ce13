#include "search/layer_search.h"

#include "model/apply_operations.h"
#include "search/plateau_selection.h"
#include "studies/study_catalogue.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace varkel {

namespace {

OptimiserResult optimiseBase(ProductRegistry& registry, std::string_view name, StudyKind kind,
                             const OptimiserControl& control, const BuildGrids& grids) {
    switch (kind) {
        case StudyKind::Macd: return optimiseMacd(registry, name, control, grids.macd);
        case StudyKind::TimeSeriesCorrelation: return optimiseTsc(registry, name, false, control, grids.tsc);
        case StudyKind::LinearRegression: return optimiseLreg(registry, name, false, control, grids.lreg);
        case StudyKind::Stochastics: return optimiseStochastics(registry, name, control, grids.stochastics);
        default: return optimiseKeltner(registry, name, control, grids.keltner);
    }
}

OptimiserResult optimiseFilter(ProductRegistry& registry, std::string_view name, StudyKind kind,
                               const OptimiserControl& control, const BuildGrids& grids) {
    switch (kind) {
        case StudyKind::TimeSeriesCorrelation: return optimiseTsc(registry, name, true, control, grids.tsc);
        case StudyKind::RateOfChange: return optimiseRoc(registry, name, control, grids.roc);
        case StudyKind::LinearRegression: return optimiseLreg(registry, name, true, control, grids.lreg);
        default: return optimiseNdist(registry, name, control, grids.ndist);
    }
}

}  // namespace

void applyTrial(ProductRegistry& registry, std::string_view name, StudyKind kind, bool asFilter,
                const TrialParameters& trial) {
    switch (kind) {
        case StudyKind::Macd: applyMacd(registry, name, trial.span1, trial.span2, trial.span3, 0.0); break;
        case StudyKind::Stochastics:
            applyStochastics(registry, name, trial.span1, trial.span2, trial.span3, 0.0);
            break;
        case StudyKind::KeltnerChannels: applyKeltner(registry, name, trial.span1, trial.span2, trial.threshold); break;
        case StudyKind::LinearRegression: applyLreg(registry, name, trial.span1, trial.threshold, asFilter); break;
        case StudyKind::TimeSeriesCorrelation: applyTsc(registry, name, trial.span1, trial.threshold, asFilter); break;
        case StudyKind::RateOfChange: applyRoc(registry, name, trial.span1, trial.threshold); break;
        case StudyKind::NormalDistribution: applyNdist(registry, name, trial.span1, trial.threshold); break;
        default: break;
    }
}

OptimiserResult searchLayer(ProductRegistry& registry, std::string_view name, StudyKind kind, bool asFilter,
                            const OptimiserControl& control, const BuildGrids& grids, TrialSelection selection) {
    auto search = [&](const OptimiserControl& c) {
        return asFilter ? optimiseFilter(registry, name, kind, c, grids) : optimiseBase(registry, name, kind, c, grids);
    };
    if (selection == TrialSelection::best) return search(control);

    Product* product = registry.findProduct(name);
    if (product == nullptr) return {};
    // The optimiser rebuilds its own best trial; the plateau trial is built
    // afresh on the bars the layer started from, never on top of that one.
    const std::vector<Bar> barsBefore = product->bars;
    std::optional<TrialLedger> ownLedger;
    OptimiserControl recording = control;
    if (recording.ledger == nullptr) recording.ledger = &ownLedger.emplace(std::vector<BarWindow>{});
    const OptimiserResult best = search(recording);
    const TrialLedger& ledger = *recording.ledger;
    if (best.cancelled || !ledger.complete() || ledger.rowCount() == 0) return best;

    const PlateauChoice plateau = selectPlateau(ledgerSurface(ledger, kind));
    const auto row = static_cast<std::size_t>(plateau.trial);
    const TrialParameters& trial = ledger.parameters(row);
    product->bars = barsBefore;
    applyTrial(registry, name, kind, asFilter, trial);
    OptimiserResult chosen;
    chosen.bestReturn = ledger.finalReturn(row);
    chosen.span1 = trial.span1;
    chosen.span2 = trial.span2;
    chosen.span3 = trial.span3;
    chosen.threshold = trial.threshold;
    return chosen;
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
