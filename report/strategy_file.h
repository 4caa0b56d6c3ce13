#pragma once

#include "base/owned_file.h"
#include "data/product_registry.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// <startDirectory>/strategy/<fileStem>.csv
std::filesystem::path strategyFilePath(const std::filesystem::path& startDirectory,
                                       std::string_view productName);

// A strategy file has a line of about 90 bytes for each bar of a history the
// loader took (at most 64 MB of at least 20 bytes a bar).
inline constexpr std::size_t maxStrategyFileBytes = 512 * 1024 * 1024;

const OwnedFileRules& strategyFileRules();

// The change that writes the strategy file (writeStrategyFile's text), for a
// writer that puts it in place together with the model it comes from; made
// for one write (the text moves into it). Nothing, with the reason in
// `error`, for an unknown product.
std::optional<OwnedFileEdit> strategyFileEdit(const ProductRegistry& registry, std::string_view productName,
                                              const std::filesystem::path& startDirectory,
                                              std::string* error = nullptr);

// Writes one line per bar, oldest first and the next-day bar last:
// date, open, high, low, close ("%10.2f"), position ("%d"), daily and cumulative
// P&L ("%10.4f"), comma-separated, no header; numbers keep every digit. Creates
// the "strategy" directory when it is missing and replaces the file atomically.
// False, with the reason in `error` when given, when the product is unknown or
// the file cannot be written; an earlier file then stays as it was.
bool writeStrategyFile(const ProductRegistry& registry, std::string_view productName,
                       const std::filesystem::path& startDirectory, std::string* error = nullptr);

}  // namespace varkel
