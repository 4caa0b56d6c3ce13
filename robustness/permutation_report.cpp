#include "robustness/permutation_report.h"

namespace varkel {

const PermutationSummary& PermutationReport::wholeBuild() const {
    for (int layer = 2; layer >= 1; --layer)
        if (layers[static_cast<std::size_t>(layer)]) return *layers[static_cast<std::size_t>(layer)];
    return *layers[0];
}

PermutationReport summarisePermutationRun(const LayersInUse& layers, const LayerReturns& real,
                                          const std::vector<PermutationRow>& rows, std::uint64_t seed) {
    PermutationReport report;
    report.permutations = static_cast<std::int64_t>(rows.size());
    report.seed = seed;
    std::vector<double> returns(rows.size());
    for (std::size_t layer = 0; layer < layers.size(); ++layer) {
        if (!layers[layer]) continue;
        for (std::size_t i = 0; i < rows.size(); ++i) returns[i] = rows[i].returns[layer];
        report.layers[layer] = summarisePermutations(real[layer], returns);
    }
    return report;
}

}  // namespace varkel
