#pragma once

#include <span>
#include <vector>

namespace varkel {

// Rolling-window statistics over a series of values. Each operation returns a
// new array of the same length, zero where the window is not yet full, or an
// empty array ("no result") when n < span, span < 2 or n < 2.
// Windows are plain sums over the last `span` values, no running sums, so the
// results are reproducible to the last bit.
class SeriesStats {
public:
    // r[i] = mean of v[i-span+1 .. i] for i >= span-1.
    std::vector<double> movingAverage(std::span<const double> v, int span) const;
    // movingAverage(v, span) for every span from firstSpan to lastSpan, in
    // that order, with the same bits: the windows that start at the same bar
    // share their partial sums, so all spans cost one addition per bar and span.
    std::vector<std::vector<double>> movingAverages(std::span<const double> v, int firstSpan, int lastSpan) const;
    // Least-squares slope of the window against x = 1 .. span, from sums
    // centred on the middle x and the window's first value (x' = x - (span+1)/2,
    // y' = y - first y, added in window order): Sx'y' / Sx'x'. The one-pass
    // formula (span*Sxy - Sx*Sy) / (span*Sxx - Sx*Sx) on raw prices loses up to
    // eight digits to cancellation and gives noise where the slope is 0; the
    // centred sums give exactly 0 for a flat window and for (a, b, a).
    std::vector<double> slope(std::span<const double> v, int span) const;
    // Correlation of the window with x = 1 .. span, from the same centred sums:
    // span*Sx'y' / sqrt(span*Sx'x' * (span*Sy'y' - Sy'*Sy')). Exactly 0 for a
    // flat window, for (a, b, a) and when the product under the root is not
    // positive, so rounding never yields noise or NaN where there is no trend.
    std::vector<double> correlation(std::span<const double> v, int span) const;
    // From i = span: U / (U + D) over the last span one-step changes; 0 when U + D = 0.
    std::vector<double> upRatio(std::span<const double> v, int span) const;
};

}  // namespace varkel
