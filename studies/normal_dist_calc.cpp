#include "studies/normal_dist_calc.h"

namespace varkel {

std::vector<double> NormalDistCalc::compute(std::span<const double> v, int span) const {
    // Strictly longer than the span, unlike the SeriesStats windows.
    if (v.size() < 2 || span < 2 || v.size() <= static_cast<std::size_t>(span)) return {};
    const auto width = static_cast<std::size_t>(span);
    std::vector<double> r(v.size(), 0.0);
    for (std::size_t i = width - 1; i < v.size(); ++i) {
        double sum = 0.0;
        for (std::size_t k = i + 1 - width; k <= i; ++k) sum += v[k];
        const double mean = sum / span;
        double squares = 0.0;
        for (std::size_t k = i + 1 - width; k <= i; ++k) squares += (v[k] - mean) * (v[k] - mean);
        r[i] = squares / (span - 1);
    }
    return r;
}

}  // namespace varkel
