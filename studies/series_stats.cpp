#include "studies/series_stats.h"

#include <cmath>

namespace varkel {

namespace {

bool hasResult(std::size_t n, int span) {
    return span >= 2 && n >= 2 && n >= static_cast<std::size_t>(span);
}

// The least-squares sums of the window v[end-span+1 .. end] paired with
// x = 1 .. span, oldest first, added in window order.
struct WindowSums {
    double sx = 0.0, sxx = 0.0, sy = 0.0, syy = 0.0, sxy = 0.0;
    // Every value of the window equal. The sums of such a window cancel only up
    // to rounding, which would leave a slope or correlation of noise (or, under
    // the root, a slightly negative number) where the answer is exactly 0.
    bool flat = true;

    WindowSums(std::span<const double> v, std::size_t end, int span) {
        const std::size_t first = end + 1 - static_cast<std::size_t>(span);
        for (int x = 1; x <= span; ++x) {
            const double y = v[first + static_cast<std::size_t>(x) - 1];
            flat = flat && y == v[first];
            const double dx = x;
            sx += dx;
            sxx += dx * dx;
            sy += y;
            syy += y * y;
            sxy += dx * y;
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
    std::vector<double> r(v.size(), 0.0);
    for (std::size_t i = static_cast<std::size_t>(span) - 1; i < v.size(); ++i) {
        const WindowSums s(v, i, span);
        const double denominator = span * s.sxx - s.sx * s.sx;
        r[i] = s.flat || denominator == 0.0 ? 0.0 : (span * s.sxy - s.sx * s.sy) / denominator;
    }
    return r;
}

std::vector<double> SeriesStats::correlation(std::span<const double> v, int span) const {
    if (!hasResult(v.size(), span)) return {};
    std::vector<double> r(v.size(), 0.0);
    for (std::size_t i = static_cast<std::size_t>(span) - 1; i < v.size(); ++i) {
        const WindowSums s(v, i, span);
        const double product = (span * s.sxx - s.sx * s.sx) * (span * s.syy - s.sy * s.sy);
        r[i] = s.flat || !(product > 0.0) ? 0.0 : (span * s.sxy - s.sx * s.sy) / std::sqrt(product);
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
