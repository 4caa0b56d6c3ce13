#include "studies/study_frame.h"

namespace varkel {

std::span<Bar> pricedBars(ProductRegistry& registry, std::string_view name) {
    if (name.empty()) return {};
    Product* product = registry.findProduct(name);
    if (product == nullptr || product->historyLength() < 1) return {};
    return std::span<Bar>(product->bars).first(static_cast<std::size_t>(product->historyLength()));
}

std::vector<double> column(std::span<const Bar> bars, double Bar::*field) {
    std::vector<double> values;
    values.reserve(bars.size());
    for (const Bar& bar : bars) values.push_back(bar.*field);
    return values;
}

void writeResult(std::span<Bar> bars, const std::vector<double>& result, int span,
                 double Bar::*value, std::int32_t Bar::*period) {
    if (result.size() != bars.size()) return;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        bars[i].*value = result[i];
        bars[i].*period = span;
    }
}

}  // namespace varkel
