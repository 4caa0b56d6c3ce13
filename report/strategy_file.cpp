#include "report/strategy_file.h"

#include <cstdio>
#include <system_error>

namespace varkel {

std::filesystem::path strategyFilePath(const std::filesystem::path& startDirectory,
                                       std::string_view productName) {
    return startDirectory / "strategy" / (fileStem(productName) + ".csv");
}

bool writeStrategyFile(const ProductRegistry& registry, std::string_view productName,
                       const std::filesystem::path& startDirectory) {
    const Product* product = registry.findProduct(productName);
    if (product == nullptr) return false;
    const std::filesystem::path path = strategyFilePath(startDirectory, productName);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    for (const Bar& bar : product->bars) {
        char line[1024] = {};
        std::snprintf(line, sizeof line, "%s,%10.2f,%10.2f,%10.2f,%10.2f,%d,%10.4f,%10.4f\n",
                      bar.dateText.c_str(), bar.open, bar.high, bar.low, bar.close, bar.position,
                      bar.dailyPnl, bar.cumulativePnl);
        std::fputs(line, file);
    }
    const bool writeFailed = std::ferror(file) != 0;
    return std::fclose(file) == 0 && !writeFailed;
}

}  // namespace varkel
