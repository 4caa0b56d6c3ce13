#include "search/trial_selection.h"

#include "search/first_best.h"
#include "search/optimiser_control.h"
#include "search/plateau_selection.h"
#include "studies/study_catalogue.h"

#include <vector>

namespace varkel {

namespace {

std::optional<std::size_t> firstStrictlyBest(const TrialLedger& ledger, int window) {
    std::optional<std::size_t> chosen;
    double best = searchStartReturn;
    for (std::size_t row = 0; row < ledger.rowCount(); ++row)
        keepFirstStrictlyBest(ledger.windowSum(row, window), row, best, chosen);
    return chosen;
}

}  // namespace

ParameterSurface ledgerSurface(const TrialLedger& ledger, StudyKind kind) {
    ParameterSurface surface;
    const StudyInfo* study = findStudy(kind);
    if (study == nullptr) return surface;
    surface.parameterNames.assign(study->builderParameters.begin(), study->builderParameters.end());
    surface.parameters.reserve(ledger.rowCount() * surface.parameterCount());
    surface.returns.reserve(ledger.rowCount());
    // The layer's values (layerValues), worked out once for every row.
    const int spans = layerSpanCount(kind);
    const bool withSetting = layerHasSetting(kind);
    for (std::size_t row = 0; row < ledger.rowCount(); ++row) {
        const LayerParameters& trial = ledger.parameters(row);
        for (int i = 0; i < spans; ++i) surface.parameters.push_back(trial.spans[i]);
        if (withSetting) surface.parameters.push_back(trial.setting);
        surface.returns.push_back(ledger.finalReturn(row));
    }
    return surface;
}

TrialSelector::TrialSelector(const TrialLedger& ledger, StudyKind kind, TrialSelection rule)
    : ledger_(ledger), rule_(rule) {
    if (rule_ != TrialSelection::plateau) return;
    const ParameterSurface surface = ledgerSurface(ledger, kind);
    parameterCount_ = static_cast<int>(surface.parameterCount());
    steps_ = gridSteps(surface);
}

std::optional<std::size_t> TrialSelector::select(int window) const {
    if (rule_ == TrialSelection::best) return firstStrictlyBest(ledger_, window);
    std::vector<double> sums(ledger_.rowCount());
    for (std::size_t row = 0; row < sums.size(); ++row) sums[row] = ledger_.windowSum(row, window);
    const PlateauChoice choice =
        selectPlateau(steps_.data(), parameterCount_, sums.data(), static_cast<std::int64_t>(sums.size()));
    if (choice.trial < 0) return std::nullopt;
    return static_cast<std::size_t>(choice.trial);
}

std::vector<std::optional<std::size_t>> TrialSelector::selectEach() const {
    const int windows = ledger_.windowCount();
    std::vector<std::optional<std::size_t>> chosen(static_cast<std::size_t>(windows));
    if (rule_ != TrialSelection::best) {
        for (int w = 0; w < windows; ++w) chosen[static_cast<std::size_t>(w)] = select(w);
        return chosen;
    }
    std::vector<double> best(static_cast<std::size_t>(windows), searchStartReturn);
    const double* sums = ledger_.windowSumRows();
    for (std::size_t row = 0; row < ledger_.rowCount(); ++row, sums += windows)
        for (int w = 0; w < windows; ++w)
            keepFirstStrictlyBest(sums[w], row, best[static_cast<std::size_t>(w)], chosen[static_cast<std::size_t>(w)]);
    return chosen;
}

}  // namespace varkel
