#include "cli/history_loading.h"

#include "data/price_file.h"

#include <cstdio>
#include <filesystem>

namespace varkel::cli {

bool loadHistory(ProductRegistry& registry, const std::string& productName,
                 const std::string& priceFile) {
    if (registry.addProduct(productName) == nullptr) {
        std::fprintf(stderr, "Invalid product name: \"%s\"\n", productName.c_str());
        return false;
    }
    const PriceFileLoad load = loadPriceFile(registry, productName, priceFile);
    if (load.tooLarge) {
        std::fprintf(stderr, "%s\n", priceFileTooLargeMessage(priceFile).c_str());
        return false;
    }
    if (!load) {
        std::error_code error;
        std::fprintf(stderr, "Cannot read price file %s%s\n", priceFile.c_str(),
                     std::filesystem::is_directory(priceFile, error) ? ": it is a directory" : "");
        return false;
    }
    // Say what was read whenever a line did not become a bar, so that a file
    // read wrongly never passes unnoticed.
    if (load.refusedCount > 0 || load.barsLoaded == 0)
        std::fprintf(stderr, "%s: %d %s read, %d %s loaded%s%s\n", priceFile.c_str(), load.linesRead,
                     load.linesRead == 1 ? "line" : "lines", load.barsLoaded, load.barsLoaded == 1 ? "bar" : "bars",
                     load.refusedCount > 0 ? "; " : "", load.refusedSummary().c_str());
    return true;
}

}  // namespace varkel::cli
