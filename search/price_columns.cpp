#include "search/price_columns.h"

namespace varkel {

PriceColumns::PriceColumns(const Product& product) : n(product.historyLength() > 0 ? product.historyLength() : 0) {
    open.reserve(n);
    high.reserve(n);
    low.reserve(n);
    close.reserve(n);
    for (int i = 0; i < n; ++i) {
        const Bar& bar = product.bars[i];
        open.push_back(bar.open);
        high.push_back(bar.high);
        low.push_back(bar.low);
        close.push_back(bar.close);
    }
}

}  // namespace varkel
