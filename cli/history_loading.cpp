#include "cli/history_loading.h"

#include "cli/file_faults.h"
#include "cli/product_option.h"
#include "data/price_file.h"

#include <cstdio>

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
        std::fprintf(stderr, "Cannot read price file %s: %s\n", priceFile.c_str(),
                     unreadableFileReason(priceFile).c_str());
        return false;
    }
    warnWhenFileNamesAnotherProduct(productName, priceFile);
    // Say what was read whenever a line did not become a bar, so that a file
    // read wrongly never passes unnoticed.
    if (load.refusedCount > 0 || load.barsLoaded == 0)
        std::fprintf(stderr, "%s: %d %s read, %d %s loaded%s%s\n", priceFile.c_str(), load.linesRead,
                     load.linesRead == 1 ? "line" : "lines", load.barsLoaded, load.barsLoaded == 1 ? "bar" : "bars",
                     load.refusedCount > 0 ? "; " : "", load.refusedSummary().c_str());
    return true;
}

}  // namespace varkel::cli
