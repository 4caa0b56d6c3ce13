#pragma once

#include "data/price_file.h"

#include <cstdlib>
#include <string>

namespace varkel::bench {

// The history every timed search, build and back-test runs on: the old
// USD/JPY history of tests/data/faulty_histories (4666 bars, 2006-2024),
// kept as the fixed workload so that figures compare from round to round.
// VARKEL_BENCH_HISTORY names another price file for a one-off comparison
// (the bundled samples/USD_JPY.txt has 6399 bars); the report names the
// history it ran on.
inline std::string workloadPath() {
    const char* other = std::getenv("VARKEL_BENCH_HISTORY");
    return other != nullptr && *other != '\0' ? std::string(other) : std::string(VARKEL_FIXED_WORKLOAD_DIR) + "/USD_JPY.txt";
}

// The workload loaded as the product `name`.
inline ProductRegistry workloadHistory(const std::string& name) {
    ProductRegistry registry;
    registry.addProduct(name);
    loadPriceFile(registry, name, workloadPath());
    return registry;
}

}  // namespace varkel::bench
