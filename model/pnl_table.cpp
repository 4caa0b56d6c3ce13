#include "model/pnl_table.h"

namespace varkel {

PnlTable::PnlTable(const Product& product) : n_(product.historyLength() > 0 ? product.historyLength() : 0) {
    values_.assign(static_cast<std::size_t>(n_) * 9 + 8, 0.0);
    const double c = 20.0 * product.pipSize;
    const double u = product.tradeUnits;
    for (int i = 1; i < n_; ++i) {
        const double o = product.bars[i].open;
        const double cl = product.bars[i].close;
        const double p = product.bars[i - 1].close;
        double* v = &values_[static_cast<std::size_t>(i) * 9];
        v[0] = (p - cl) * u;                                 // short, short
        v[1] = (p - (o + c)) * u;                            // short, flat
        v[2] = (p - (o + c)) * u + (cl - (o + c)) * u;       // short, long
        v[3] = ((o - c) - cl) * u;                           // flat, short
        v[4] = 0.0;                                          // flat, flat
        v[5] = (cl - (o + c)) * u;                           // flat, long
        v[6] = ((o - c) - p) * u + ((o - c) - cl) * u;       // long, short
        v[7] = ((o - c) - p) * u;                            // long, flat
        v[8] = (cl - p) * u;                                 // long, long
    }
}

double PnlTable::finalReturn(const std::int8_t* positions) const {
    double sum = 0.0;
    for (int i = 1; i < n_; ++i)
        sum += values_[static_cast<std::size_t>(i) * 9 + 4 + 3 * positions[i - 1] + positions[i]];
    return sum;
}

}  // namespace varkel
