#include "data/price_history_check.h"

#include "data/bar.h"
#include "data/price_file.h"
#include "base/text_lines.h"

#include <algorithm>
#include <cstddef>

namespace varkel {

std::optional<std::string> priceHistoryFault(std::string_view content) {
    if (content.empty()) return "it is empty";
    PriceFileLoad lines;
    std::string previousDate;
    int previousLine = 0;
    for (std::size_t start = 0; start < content.size();) {
        const std::string_view line = nextLine(content, start);
        ++lines.linesRead;
        const int commas = static_cast<int>(std::count(line.begin(), line.end(), ','));
        if (commas < 4) continue;
        Bar bar;
        if (!parsePriceLine(commas, bar, line, 1.0)) {
            ++lines.refusedCount;
            if (lines.firstRefusedLines.size() < PriceFileLoad::maxReportedLines)
                lines.firstRefusedLines.push_back(lines.linesRead);
            continue;
        }
        ++lines.barsLoaded;
        if (!eightDigitDate(bar.dateText)) continue;
        // Eight-digit dates of the same width compare as text.
        if (!previousDate.empty() && bar.dateText <= previousDate)
            return "the date " + bar.dateText + " on line " + std::to_string(lines.linesRead) +
                   " is not later than " + previousDate + " on line " + std::to_string(previousLine);
        previousDate = bar.dateText;
        previousLine = lines.linesRead;
    }
    if (lines.barsLoaded == 0)
        return "none of its " + std::to_string(lines.linesRead) + (lines.linesRead == 1 ? " line" : " lines") +
               " holds a bar";
    if (lines.refusedCount > maxRefusedLinesOfAHistory) return lines.refusedSummary();
    return std::nullopt;
}

std::optional<std::string> unmarkedEndFault(std::string_view content) {
    if (content.empty()) return std::nullopt;  // priceHistoryFault says so
    int lines = 0;
    for (std::size_t start = 0; start < content.size();) {
        nextLine(content, start);
        ++lines;
    }
    if (content.back() != '\n' && content.back() != '\r')
        return "it breaks off in line " + std::to_string(lines) + " (the connection closed before a line end)";
    if (const int cut = cutShortLastLine(content))
        return "its last line " + std::to_string(cut) + " holds only part of a bar";
    return std::nullopt;
}

HistoryExtent historyExtent(std::string_view content) {
    ProductRegistry registry;
    registry.addProduct("PRICE");
    HistoryExtent extent;
    extent.bars = loadPriceText(registry, "PRICE", content).barsLoaded;
    for (const Bar& bar : registry.findProduct("PRICE")->bars)
        if (const auto date = eightDigitDate(bar.dateText)) extent.lastDate = *date;
    return extent;
}

bool losesHistory(const HistoryExtent& current, const HistoryExtent& next) {
    return next.bars < current.bars || next.lastDate < current.lastDate;
}

}  // namespace varkel
