#include "report/strategy_file.h"

#include "base/atomic_file.h"
#include "base/file_lock.h"
#include "base/formatted_text.h"

#include <system_error>

namespace varkel {

std::filesystem::path strategyFilePath(const std::filesystem::path& startDirectory,
                                       std::string_view productName) {
    return startDirectory / "strategy" / (fileStem(productName) + ".csv");
}

bool writeStrategyFile(const ProductRegistry& registry, std::string_view productName,
                       const std::filesystem::path& startDirectory, std::string* error) {
    const Product* product = registry.findProduct(productName);
    if (product == nullptr) {
        if (error != nullptr) *error = "No product " + std::string(productName);
        return false;
    }
    const std::filesystem::path path = strategyFilePath(startDirectory, productName);
    std::error_code ignored;  // a folder that cannot be made fails the write below
    std::filesystem::create_directories(path.parent_path(), ignored);
    // Each line as long as its numbers need: a fixed buffer would cut a long
    // line and join it to the next bar's.
    std::string content;
    for (const Bar& bar : product->bars)
        content += formattedText("%s,%10.2f,%10.2f,%10.2f,%10.2f,%d,%10.4f,%10.4f\n", bar.dateText.c_str(), bar.open,
                                 bar.high, bar.low, bar.close, bar.position, bar.dailyPnl, bar.cumulativePnl);
    const std::optional<FileLock> lock = FileLock::acquire(path, error);
    return lock && writeFileAtomically(path, content, error);
}

}  // namespace varkel
