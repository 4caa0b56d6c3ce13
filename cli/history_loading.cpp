#include "cli/history_loading.h"

#include "data/price_file.h"

#include <cstdio>
#include <filesystem>

namespace varkel::cli {

bool loadHistory(ProductRegistry& registry, const std::string& productName,
                 const std::string& priceFile) {
    if (registry.addProduct(productName) == nullptr) {
        std::fprintf(stderr, "Invalid product name: %s\n", productName.c_str());
        return false;
    }
    const PriceFileLoad load = loadPriceFile(registry, productName, priceFile);
    if (!load) {
        std::error_code error;
        std::fprintf(stderr, "Cannot read price file %s%s\n", priceFile.c_str(),
                     std::filesystem::is_directory(priceFile, error) ? ": it is a directory" : "");
        return false;
    }
    if (load.refusedCount > 0)
        std::fprintf(stderr, "%s: %s\n", priceFile.c_str(), load.refusedSummary().c_str());
    return true;
}

}  // namespace varkel::cli
