#include "studies/series_stats.h"

#include "studies/centred_sums.h"
#include "studies/window_growth.h"

#include <cmath>

namespace varkel {

namespace {

bool hasResult(std::size_t n, int span) {
    return span >= 2 && n >= 2 && n >= static_cast<std::size_t>(span);
}

}  // namespace

std::vector<double> SeriesStats::movingAverage(std::span<const double> v, int span) const {
    if (!hasResult(v.size(), span)) return {};
    const auto width = static_cast<std::size_t>(span);
    std::vector<double> r(v.size(), 0.0);
    for (std::size_t i = width - 1; i < v.size(); ++i) {
        double sum = 0.0;
        for (std::size_t k = i + 1 - width; k <= i; ++k) sum += v[k];
        r[i] = sum / span;
    }
    return r;
}

std::vector<std::vector<double>> SeriesStats::movingAverages(std::span<const double> v, int firstSpan,
                                                              int lastSpan) const {
    std::vector<std::vector<double>> averages;
    if (lastSpan < firstSpan) return averages;
    averages.reserve(static_cast<std::size_t>(lastSpan - firstSpan) + 1);
    const int n = static_cast<int>(v.size());
    // sums[j]: the window from bar j, one bar longer each step.
    std::vector<double> sums(v.size(), 0.0);
    for (int span = 1; span <= lastSpan; ++span) {
        const int windows = n - span + 1;
        const bool kept = span >= firstSpan;
        if (kept) averages.emplace_back();
        if (windows <= 0) continue;
        if (!kept || !hasResult(v.size(), span)) {
            growWindows(sums.data(), v.data() + span - 1, windows);
            continue;
        }
        std::vector<double>& r = averages.back();
        r.assign(v.size(), 0.0);
        // The window ending at bar i starts at bar i - span + 1.
        growWindows(sums.data(), v.data() + span - 1, windows, r.data() + span - 1, span);
    }
    return averages;
}

std::vector<double> SeriesStats::slope(std::span<const double> v, int span) const {
    if (!hasResult(v.size(), span)) return {};
    const CentredSums s = centredSums(v, span);
    std::vector<double> r(v.size(), 0.0);
    for (std::size_t i = static_cast<std::size_t>(span) - 1; i < v.size(); ++i) r[i] = s.sxy[i] / s.sxx;
    return r;
}

std::vector<double> SeriesStats::correlation(std::span<const double> v, int span) const {
    if (!hasResult(v.size(), span)) return {};
    const CentredSums s = centredSums(v, span);
    std::vector<double> r(v.size(), 0.0);
    for (std::size_t i = static_cast<std::size_t>(span) - 1; i < v.size(); ++i) {
        const double product = (span * s.sxx) * (span * s.syy[i] - s.sy[i] * s.sy[i]);
        r[i] = !(product > 0.0) ? 0.0 : span * s.sxy[i] / std::sqrt(product);
    }
    return r;
}

std::vector<double> SeriesStats::upRatio(std::span<const double> v, int span) const {
    if (!hasResult(v.size(), span)) return {};
    const auto width = static_cast<std::size_t>(span);
    std::vector<double> r(v.size(), 0.0);
    for (std::size_t i = width; i < v.size(); ++i) {
        double up = 0.0;
        double down = 0.0;
        for (std::size_t j = i + 1 - width; j <= i; ++j) {
            // Adding +0.0 to the other sum changes nothing, and keeps the loop free
            // of an unpredictable branch.
            const double change = v[j] - v[j - 1];
            up += change >= 0.0 ? change : 0.0;
            down += change < 0.0 ? -change : 0.0;
        }
        r[i] = up + down == 0.0 ? 0.0 : up / (up + down);
    }
    return r;
}

}  // namespace varkel
