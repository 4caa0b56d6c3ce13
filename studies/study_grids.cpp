#include "studies/study_grids.h"

namespace varkel {

std::vector<double> StepRange::values() const {
    std::vector<double> result;
    for (double value = start; value < limit; value += step) result.push_back(value);
    return result;
}

std::int64_t trialCount(const MacdGrid& grid) {
    std::int64_t pairs = 0;
    for (int fast = grid.fast.first; fast <= grid.fast.last; ++fast) pairs += std::max(0, grid.slowLast - fast);
    return pairs * grid.signal.count();
}

std::int64_t trialCount(const StochasticsGrid& grid) {
    return std::int64_t{grid.k.count()} * grid.d.count() * grid.slowD.count();
}

std::int64_t trialCount(const KeltnerGrid& grid) {
    return std::int64_t{grid.ema.count()} * grid.atr.count() * static_cast<std::int64_t>(grid.multiplier.values().size());
}

std::int64_t trialCount(const SpanThresholdGrid& grid) {
    return std::int64_t{grid.span.count()} * static_cast<std::int64_t>(grid.threshold.values().size());
}

}  // namespace varkel
