#pragma once

#include "data/price_file.h"

#include <string>
#include <vector>

namespace varkel::test {

// The first `bars` days of a faulty test history (e.g. "USD_JPY.txt") loaded as the
// product `name`, followed by the empty next-day bar.
inline ProductRegistry samplePrefix(const std::string& file, const std::string& name, int bars) {
    ProductRegistry full;
    full.addProduct(name);
    loadPriceFile(full, name, std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/" + file);
    ProductRegistry registry;
    Product* product = registry.addProduct(name);
    const auto& source = full.findProduct(name)->bars;
    product->bars.assign(source.begin(), source.begin() + bars);
    product->bars.emplace_back();
    return registry;
}

// The closes of the first `bars` days of a faulty test history.
inline std::vector<double> sampleCloses(const std::string& file, int bars) {
    const ProductRegistry registry = samplePrefix(file, "sample", bars);
    std::vector<double> closes;
    for (const Bar& bar : registry.findProduct("sample")->bars) closes.push_back(bar.close);
    closes.pop_back();  // the empty next-day bar
    return closes;
}

}  // namespace varkel::test
