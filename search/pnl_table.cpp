#include "search/pnl_table.h"

#include "model/day_pnl.h"

namespace varkel {

PnlTable::PnlTable(const Product& product) : n_(product.historyLength() > 0 ? product.historyLength() : 0) {
    values_.assign(static_cast<std::size_t>(n_) * 9 + 8, 0.0);
    const double c = 20.0 * product.pipSize;
    const double u = product.tradeUnits;
    for (int i = 1; i < n_; ++i) {
        const double o = product.bars[i].open;
        const double cl = product.bars[i].close;
        const double previous = product.bars[i - 1].close;
        double* v = &values_[static_cast<std::size_t>(i) * 9];
        for (int p = Short; p <= Long; ++p)
            for (int q = Short; q <= Long; ++q) v[entryIndex(p, q)] = *dayPnl(p, q, o, cl, previous, c, u);
    }
    moving_.assign(static_cast<std::size_t>(n_) * 4, 0.0);
    for (int i = 0; i < n_; ++i) {
        const double* v = row(i);
        double* m = &moving_[static_cast<std::size_t>(i) * 4];
        m[0] = v[entryIndex(Long, Long)];
        m[1] = v[entryIndex(Long, Short)];
        m[2] = v[entryIndex(Short, Long)];
        m[3] = v[entryIndex(Short, Short)];
    }
}

double PnlTable::finalReturn(const std::int8_t* positions) const {
    double sum = 0.0;
    for (int i = 1; i < n_; ++i)
        sum += values_[static_cast<std::size_t>(i) * 9 + entryIndex(positions[i - 1], positions[i])];
    return sum;
}

}  // namespace varkel
