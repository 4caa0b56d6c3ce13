#include "search/trial_selection.h"

#include "search/first_best.h"
#include "search/optimiser_control.h"
#include "search/plateau_selection.h"
#include "studies/study_catalogue.h"

#include <vector>

namespace varkel {

namespace {

// The first strictly best row of each window from `first` to `end` - 1, in one
// pass over the rows: a row's window sums lie side by side, so a pass per
// window would read the whole ledger once per window.
std::vector<std::optional<std::size_t>> firstStrictlyBest(const TrialLedger& ledger, int first, int end) {
    const auto count = static_cast<std::size_t>(end - first);
    std::vector<std::optional<std::size_t>> chosen(count);
    std::vector<double> best(count, searchStartReturn);
    const double* sums = ledger.windowSumRows() + first;
    for (std::size_t row = 0; row < ledger.rowCount(); ++row, sums += ledger.windowCount())
        for (std::size_t w = 0; w < count; ++w) keepFirstStrictlyBest(sums[w], row, best[w], chosen[w]);
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
        const LayerParameters trial = ledger.parameters(row);
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
    if (rule_ == TrialSelection::best) return firstStrictlyBest(ledger_, window, window + 1).front();
    std::vector<double> sums(ledger_.rowCount());
    for (std::size_t row = 0; row < sums.size(); ++row) sums[row] = ledger_.windowSum(row, window);
    const PlateauChoice choice =
        selectPlateau(steps_.data(), parameterCount_, sums.data(), static_cast<std::int64_t>(sums.size()));
    if (choice.trial < 0) return std::nullopt;
    return static_cast<std::size_t>(choice.trial);
}

std::vector<std::optional<std::size_t>> TrialSelector::selectEach() const {
    const int windows = ledger_.windowCount();
    if (rule_ == TrialSelection::best) return firstStrictlyBest(ledger_, 0, windows);
    std::vector<std::optional<std::size_t>> chosen(static_cast<std::size_t>(windows));
    for (int w = 0; w < windows; ++w) chosen[static_cast<std::size_t>(w)] = select(w);
    return chosen;
}

}  // namespace varkel
