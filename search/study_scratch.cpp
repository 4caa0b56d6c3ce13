#include "search/study_scratch.h"

namespace varkel {

StudyScratch::StudyScratch(const Product& source) : name(source.name) {
    Product* copy = registry.addProduct(name);
    copy->priceScale = source.priceScale;
    copy->tradeUnits = source.tradeUnits;
    copy->pipSize = source.pipSize;
    copy->bars = source.bars;
}

std::vector<double> StudyScratch::column(double Bar::*field) {
    const Product& p = product();
    std::vector<double> values;
    values.reserve(p.bars.size());
    for (int i = 0; i < p.historyLength(); ++i) values.push_back(p.bars[i].*field);
    return values;
}

bool StudyScratch::computed(std::int32_t Bar::*period, int span) {
    const Product& p = product();
    return p.historyLength() > 0 && p.bars[0].*period == span;
}

void StudyScratch::clearPeriod(std::int32_t Bar::*period) {
    Product& p = product();
    if (p.historyLength() > 0) p.bars[0].*period = 0;
}

}  // namespace varkel
