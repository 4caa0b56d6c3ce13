#include "robustness/history_cut.h"

namespace varkel {

ProductRegistry historyCutAt(const Product& product, int bars) {
    ProductRegistry registry;
    Product* cut = registry.addProduct(product.name);
    cut->priceScale = product.priceScale;
    cut->tradeUnits = product.tradeUnits;
    cut->pipSize = product.pipSize;
    // Only what a price file gives: no study value or position of earlier work.
    cut->bars.resize(static_cast<std::size_t>(bars) + 1);
    for (int i = 0; i < bars; ++i) {
        const Bar& source = product.bars[i];
        Bar& bar = cut->bars[i];
        bar.dateText = source.dateText;
        bar.open = source.open;
        bar.high = source.high;
        bar.low = source.low;
        bar.close = source.close;
    }
    return registry;
}

double dailyPnlSum(const Product& product, int from, int to) {
    double sum = 0.0;
    for (int i = from < 1 ? 1 : from; i < to; ++i) sum += product.bars[i].dailyPnl;
    return sum;
}

}  // namespace varkel
