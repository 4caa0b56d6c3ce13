#pragma once

#include "data/product_registry.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace varkel {

// <startDirectory>/strategy/<fileStem>.csv
std::filesystem::path strategyFilePath(const std::filesystem::path& startDirectory,
                                       std::string_view productName);

// Writes one line per bar, oldest first and the next-day bar last:
// date, open, high, low, close ("%10.2f"), position ("%d"), daily and cumulative
// P&L ("%10.4f"), comma-separated, no header; numbers keep every digit. Creates
// the "strategy" directory when it is missing and replaces the file atomically.
// False, with the reason in `error` when given, when the product is unknown or
// the file cannot be written; an earlier file then stays as it was.
bool writeStrategyFile(const ProductRegistry& registry, std::string_view productName,
                       const std::filesystem::path& startDirectory, std::string* error = nullptr);

}  // namespace varkel
