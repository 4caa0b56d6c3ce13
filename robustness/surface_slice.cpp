#include "robustness/surface_slice.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varkel {

namespace {

std::vector<double> distinctValues(const ParameterSurface& surface, std::size_t parameter) {
    std::vector<double> values;
    values.reserve(surface.trialCount());
    for (std::size_t t = 0; t < surface.trialCount(); ++t) values.push_back(surface.parameter(t, parameter));
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

std::size_t indexOf(const std::vector<double>& sorted, double value) {
    return static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), value) - sorted.begin());
}

bool heldTrial(const ParameterSurface& surface, const SliceRequest& request, std::size_t trial) {
    if (request.bestOverRest) return true;
    for (std::size_t p = 0; p < surface.parameterCount(); ++p) {
        if (p == request.across || p == request.up) continue;
        if (p >= request.heldAt.size() || surface.parameter(trial, p) != request.heldAt[p]) return false;
    }
    return true;
}

}  // namespace

SurfaceSlice sliceSurface(const ParameterSurface& surface, const SliceRequest& request) {
    SurfaceSlice slice;
    const std::size_t count = surface.parameterCount();
    if (request.across >= count || request.up >= count || request.across == request.up) return slice;
    slice.acrossValues = distinctValues(surface, request.across);
    slice.upValues = distinctValues(surface, request.up);
    const std::size_t cells = slice.acrossValues.size() * slice.upValues.size();
    slice.trials.assign(cells, -1);
    slice.returns.assign(cells, std::numeric_limits<double>::quiet_NaN());
    for (std::size_t t = 0; t < surface.trialCount(); ++t) {
        if (!heldTrial(surface, request, t)) continue;
        const std::size_t at = slice.cell(indexOf(slice.acrossValues, surface.parameter(t, request.across)),
                                          indexOf(slice.upValues, surface.parameter(t, request.up)));
        // Strictly better only: the first trial in grid order keeps a tie.
        if (slice.trials[at] < 0 || surface.returns[t] > slice.returns[at]) {
            slice.trials[at] = static_cast<std::int64_t>(t);
            slice.returns[at] = surface.returns[t];
        }
    }
    return slice;
}

std::int64_t findTrial(const ParameterSurface& surface, const std::vector<double>& values) {
    if (values.size() != surface.parameterCount()) return -1;
    for (std::size_t t = 0; t < surface.trialCount(); ++t)
        if (std::equal(values.begin(), values.end(), surface.parameters.begin() + t * values.size()))
            return static_cast<std::int64_t>(t);
    return -1;
}

double colourReach(const SurfaceSlice& slice) {
    std::vector<double> tried;
    for (const double value : slice.returns)
        if (!std::isnan(value)) tried.push_back(value);
    if (tried.empty()) return 0.0;
    std::sort(tried.begin(), tried.end());
    const auto rank = [&tried](double share) {
        const auto index = static_cast<std::size_t>(std::ceil(share * static_cast<double>(tried.size())));
        return tried[std::min(index > 0 ? index - 1 : 0, tried.size() - 1)];
    };
    return std::max(std::fabs(rank(colourClipShare)), std::fabs(rank(1.0 - colourClipShare)));
}

}  // namespace varkel
