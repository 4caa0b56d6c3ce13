#pragma once

#include "data/product.h"

#include <cstdint>
#include <vector>

namespace varkel {

// The daily P&L a bar earns depends only on the bar's prices and on the pair
// (yesterday's position, today's position). The table holds, for every bar,
// the nine values of the back-test's case table, computed with exactly the
// back-test's expressions, so a trial's final return is the in-order sum of
// one table entry per bar, equal to the back-test to the last bit.
class PnlTable {
public:
    explicit PnlTable(const Product& product);

    // Number of priced bars (the trailing next-day bar excluded).
    int historyLength() const { return n_; }

    // Final return of one position series (positions[0 .. n-1], values -1, 0, +1):
    // the running sum of the daily P&L of bars 1 .. n-1, in bar order.
    double finalReturn(const std::int8_t* positions) const;

    // Where the entry of (yesterday's position p, today's q) sits in a row.
    static constexpr int entryIndex(int p, int q) { return 3 * (p + 1) + (q + 1); }

    // The nine entries of bar i, at entryIndex(p, q); 16 doubles can be read from here.
    const double* row(int i) const { return values_.data() + static_cast<std::size_t>(i) * 9; }
    // The four entries of bar i where yesterday and today are each long or
    // short, in pairs by yesterday's position, today's long first: (long,
    // long), (long, short), (short, long), (short, short). AVX2 and AVX-512
    // read a pair per 128-bit load.
    const double* movingRow(int i) const { return moving_.data() + static_cast<std::size_t>(i) * 4; }

private:
    // entry(i, p, q) = values_[9 * i + entryIndex(p, q)], then padding
    std::vector<double> values_;
    std::vector<double> moving_;
    int n_ = 0;
};

}  // namespace varkel
