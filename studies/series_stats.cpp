#include "studies/series_stats.h"

#include <cmath>

namespace varkel {

namespace {

bool hasResult(std::size_t n, int span) {
    return span >= 2 && n >= 2 && n >= static_cast<std::size_t>(span);
}

// The least-squares sums of every full window of v, centred so that nothing
// cancels: x = 1 .. span less its mean (span + 1) / 2 (exact halves, so Sx is
// exactly 0 and drops out), and each value less the window's first one (for
// near values such as prices, an exact difference). Each window's terms are added in window
// order; the windows themselves run side by side, which changes no sum.
// A window (a, b, a) then has Sxy exactly 0, and a flat one Sy, Syy and Sxy 0.
struct CentredSums {
    double sxx = 0.0;  // the same for every window
    std::vector<double> sy, syy, sxy;  // by the window's last index

    CentredSums(std::span<const double> v, int span) : sy(v.size(), 0.0), syy(v.size(), 0.0), sxy(v.size(), 0.0) {
        const std::size_t width = static_cast<std::size_t>(span);
        const double centre = (span + 1) / 2.0;
        for (std::size_t offset = 0; offset < width; ++offset) {
            const double dx = static_cast<double>(offset + 1) - centre;
            sxx += dx * dx;
            for (std::size_t last = width - 1; last < v.size(); ++last) {
                const std::size_t first = last + 1 - width;
                const double dy = v[first + offset] - v[first];
                sy[last] += dy;
                syy[last] += dy * dy;
                sxy[last] += dx * dy;
            }
        }
    }
};

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

std::vector<double> SeriesStats::slope(std::span<const double> v, int span) const {
    if (!hasResult(v.size(), span)) return {};
    const CentredSums s(v, span);
    std::vector<double> r(v.size(), 0.0);
    for (std::size_t i = static_cast<std::size_t>(span) - 1; i < v.size(); ++i) r[i] = s.sxy[i] / s.sxx;
    return r;
}

std::vector<double> SeriesStats::correlation(std::span<const double> v, int span) const {
    if (!hasResult(v.size(), span)) return {};
    const CentredSums s(v, span);
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
