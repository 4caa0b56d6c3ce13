#pragma once

#include "data/product_registry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// A daily history is a few hundred kilobytes; anything beyond this is not one
// (or is a device that never ends) and is refused before it fills the memory.
inline constexpr std::size_t maxPriceFileBytes = 64 * 1024 * 1024;

// "The price file PATH is larger than 64 MB and is not read."
std::string priceFileTooLargeMessage(const std::string& path);

// What a load did. Lines whose price fields are missing or not numbers, and
// lines whose date text is too long, are refused rather than loaded as zeros;
// they are counted here so that callers can tell the user.
struct PriceFileLoad {
    bool opened = false;
    bool tooLarge = false;  // not opened: larger than maxPriceFileBytes
    int linesRead = 0;      // LF, CR LF and lone CR all end a line
    int barsLoaded = 0;
    int refusedCount = 0;
    std::vector<int> firstRefusedLines;  // 1-based line numbers, at most maxReportedLines

    static constexpr std::size_t maxReportedLines = 10;

    explicit operator bool() const { return opened; }
    // "3 lines refused (lines 1, 7, 9)" or empty when nothing was refused.
    std::string refusedSummary() const;
};

// Fills `bar` from one price-file line "date,open,high,low,close[,...]".
// Fields are positional; each price must be a number (leading blanks allowed,
// reading stops at the first character that cannot belong to it) and is
// multiplied by `priceScale`. False when the line has fewer than 4 commas, a
// price field holds no number, or the date is longer than Bar::maxDateTextLength.
bool parsePriceLine(int commaCount, Bar& bar, std::string_view line, double priceScale);

// Reads every line of the file at `path` into the product's bars and appends the
// empty next-day bar. Nothing is changed when the file cannot be opened or is
// larger than maxPriceFileBytes.
PriceFileLoad loadPriceFile(ProductRegistry& registry, std::string_view productName,
                            const std::string& path);

}  // namespace varkel
