#pragma once

#include "data/price_file.h"

#include <string>

namespace varkel::test {

// The first `bars` days of a bundled sample (e.g. "USD_JPY.txt") loaded as the
// product `name`, followed by the empty next-day bar.
inline ProductRegistry samplePrefix(const std::string& file, const std::string& name, int bars) {
    ProductRegistry full;
    full.addProduct(name);
    loadPriceFile(full, name, std::string(VARKEL_SAMPLES_DIR) + "/" + file);
    ProductRegistry registry;
    Product* product = registry.addProduct(name);
    const auto& source = full.findProduct(name)->bars;
    product->bars.assign(source.begin(), source.begin() + bars);
    product->bars.emplace_back();
    return registry;
}

}  // namespace varkel::test
