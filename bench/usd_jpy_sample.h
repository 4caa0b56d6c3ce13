#pragma once

#include "data/price_file.h"

#include <string>

namespace varkel::bench {

// The whole USD/JPY sample, loaded as the product `name`.
inline ProductRegistry usdJpySample(const std::string& name) {
    ProductRegistry registry;
    registry.addProduct(name);
    loadPriceFile(registry, name, std::string(VARKEL_SAMPLES_DIR) + "/USD_JPY.txt");
    return registry;
}

}  // namespace varkel::bench
