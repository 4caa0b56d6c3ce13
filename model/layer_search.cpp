#include "model/layer_search.h"

#include "model/apply_operations.h"
#include "robustness/plateau_selection.h"
#include "studies/study_catalogue.h"

#include <algorithm>
#include <optional>
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

// Appends the values a trial gives the study's builder parameters, in their order.
void appendParameterValues(const StudyInfo& study, const TrialParameters& trial, std::vector<double>& values) {
    const int spans[3] = {trial.span1, trial.span2, trial.span3};
    const std::size_t spanCount = std::min<std::size_t>(study.spans.size(), 3);
    for (std::size_t i = 0; i < spanCount; ++i) values.push_back(spans[i]);
    if (study.builderParameters.size() > spanCount) values.push_back(trial.threshold);
}

}  // namespace

ParameterSurface ledgerSurface(const TrialLedger& ledger, StudyKind kind) {
    ParameterSurface surface;
    const StudyInfo* study = findStudy(kind);
    if (study == nullptr) return surface;
    surface.parameterNames.assign(study->builderParameters.begin(), study->builderParameters.end());
    surface.parameters.reserve(ledger.rowCount() * surface.parameterCount());
    surface.returns.reserve(ledger.rowCount());
    for (std::size_t row = 0; row < ledger.rowCount(); ++row) {
        appendParameterValues(*study, ledger.parameters(row), surface.parameters);
        surface.returns.push_back(ledger.finalReturn(row));
    }
    return surface;
}

void applyTrial(ProductRegistry& registry, const std::string& name, StudyKind kind, bool asFilter,
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

OptimiserResult searchLayer(ProductRegistry& registry, const std::string& name, StudyKind kind, bool asFilter,
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

}  // namespace varkel
