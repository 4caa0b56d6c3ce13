#include "robustness/build_robustness.h"

#include <limits>

namespace varkel {

std::vector<double> BuildRobustness::layerPbos() const {
    std::vector<double> pbos;
    for (const auto& layer : layers)
        if (layer) pbos.push_back(layer->valid ? layer->pbo : std::numeric_limits<double>::quiet_NaN());
    return pbos;
}

double BuildRobustness::deflatedSharpe() const {
    return sharpe ? sharpe->deflated : std::numeric_limits<double>::quiet_NaN();
}

PboResult layerOverfitting(const TrialLedger& ledger, int blockCount, const WorkControl& control) {
    if (ledger.windowCount() != blockCount) {
        PboResult none;
        none.blockCount = blockCount;
        none.trialCount = static_cast<std::int64_t>(ledger.rowCount());
        return none;
    }
    return estimatePbo(ledger.windowSumRows(), static_cast<std::int64_t>(ledger.rowCount()), blockCount, control);
}

std::optional<DeflatedSharpe> builtModelSharpe(const std::vector<Bar>& bars, int historyLength,
                                               double trialVariance, std::int64_t trials) {
    std::vector<double> pnl;
    for (int i = 1; i < historyLength; ++i) pnl.push_back(bars[static_cast<std::size_t>(i)].dailyPnl);
    return deflateSharpe(pnl.data(), static_cast<std::int64_t>(pnl.size()), trialVariance, trials);
}

}  // namespace varkel
