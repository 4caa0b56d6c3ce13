#include "report/strategy_file.h"

#include "base/formatted_text.h"
#include "base/text_lines.h"

#include <algorithm>
#include <system_error>

namespace varkel {

std::filesystem::path strategyFilePath(const std::filesystem::path& startDirectory,
                                       std::string_view productName) {
    return startDirectory / "strategy" / (fileStem(productName) + ".csv");
}

const OwnedFileRules& strategyFileRules() {
    // The file a spreadsheet opens: every line the eight fields of a bar.
    static const OwnedFileRules rules{
        "strategy file", maxStrategyFileBytes,
        [](const std::optional<std::string>&, std::string_view next) -> std::optional<std::string> {
            int number = 0;
            for (std::size_t start = 0; start < next.size();) {
                const std::string_view line = nextLine(next, start);
                ++number;
                if (std::count(line.begin(), line.end(), ',') != 7)
                    return "line " + std::to_string(number) + " would not hold the eight fields of a bar";
            }
            return std::nullopt;
        }};
    return rules;
}

std::optional<OwnedFileEdit> strategyFileEdit(const ProductRegistry& registry, std::string_view productName,
                                              const std::filesystem::path& startDirectory, std::string* error) {
    const Product* product = registry.findProduct(productName);
    if (product == nullptr) {
        if (error != nullptr) *error = "No product " + std::string(productName);
        return std::nullopt;
    }
    const std::filesystem::path path = strategyFilePath(startDirectory, productName);
    std::error_code ignored;  // a folder that cannot be made fails the write
    std::filesystem::create_directories(path.parent_path(), ignored);
    // Each line as long as its numbers need: a fixed buffer would cut a long
    // line and join it to the next bar's.
    std::string content;
    for (const Bar& bar : product->bars)
        content += formattedText("%s,%10.2f,%10.2f,%10.2f,%10.2f,%d,%10.4f,%10.4f\n", bar.dateText.c_str(), bar.open,
                                 bar.high, bar.low, bar.close, bar.position, bar.dailyPnl, bar.cumulativePnl);
    return OwnedFileEdit{path, &strategyFileRules(),
                         [content = std::move(content)](const auto&) { return OwnedFileChange::to(content); }};
}

bool writeStrategyFile(const ProductRegistry& registry, std::string_view productName,
                       const std::filesystem::path& startDirectory, std::string* error) {
    const std::optional<OwnedFileEdit> edit = strategyFileEdit(registry, productName, startDirectory, error);
    if (!edit) return false;
    const OwnedWrite written = changeOwnedFile(*edit);
    if (!written && error != nullptr) *error = written.message;
    return static_cast<bool>(written);
}

}  // namespace varkel
