#include "search/stochastics_columns.h"

#include <algorithm>

namespace varkel {

StochasticsColumns::StochasticsColumns(const PriceColumns& prices)
    : closeLessLow(static_cast<std::size_t>(prices.n)), range(static_cast<std::size_t>(prices.n)), prices_(prices),
      highest_(static_cast<std::size_t>(prices.n)), lowest_(static_cast<std::size_t>(prices.n)) {}

void StochasticsColumns::compute(int kSpan) {
    const int n = prices_.n;
    const int windows = std::max(n - kSpan + 1, 0);
    const double* high = prices_.high.data();
    const double* low = prices_.low.data();
    std::copy_n(high, windows, highest_.begin());
    std::copy_n(low, windows, lowest_.begin());
    // One bar more for every window per step; the windows are independent,
    // so the loop runs across them in vector registers.
    for (int t = 1; t < kSpan; ++t) {
        double* highest = highest_.data();
        double* lowest = lowest_.data();
        for (int j = 0; j < windows; ++j) {
            const double h = high[j + t], l = low[j + t];
            highest[j] = h > highest[j] ? h : highest[j];
            lowest[j] = l < lowest[j] ? l : lowest[j];
        }
    }
    const int first = std::min(kSpan - 1, n);
    std::fill_n(closeLessLow.begin(), first, 0.0);
    std::fill_n(range.begin(), first, 0.0);
    for (int i = first; i < n; ++i) {
        const int j = i - kSpan + 1;
        range[i] = highest_[j] - lowest_[j];
        closeLessLow[i] = prices_.close[i] - lowest_[j];
    }
}

}  // namespace varkel
