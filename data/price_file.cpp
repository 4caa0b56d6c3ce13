#include "data/price_file.h"

#include "base/text_lines.h"
#include "base/whole_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace varkel {

namespace {

// A price field converted like the standard conversion does (leading blanks,
// stop at the first character that cannot belong to a number), but a field
// that holds no number at all is a failure instead of 0.
bool parsePrice(std::string_view field, double& value) {
    const std::string text(field);
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    return end != begin && std::isfinite(value);
}

}  // namespace

bool parsePriceLine(int commaCount, Bar& bar, std::string_view line, double priceScale) {
    if (commaCount < 4) return false;
    std::string_view fields[5];
    std::size_t start = 0;
    for (int f = 0; f < 5; ++f) {
        const std::size_t comma = line.find(',', start);
        fields[f] = line.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                        : comma - start);
        if (comma == std::string_view::npos) {
            if (f < 4) return false;
            break;
        }
        start = comma + 1;
    }
    if (fields[0].size() > Bar::maxDateTextLength) return false;
    double prices[4];
    for (int f = 0; f < 4; ++f) {
        if (!parsePrice(fields[f + 1], prices[f])) return false;
    }
    bar.dateText = std::string(fields[0]);
    bar.open = prices[0] * priceScale;
    bar.high = prices[1] * priceScale;
    bar.low = prices[2] * priceScale;
    bar.close = prices[3] * priceScale;
    return true;
}

std::optional<int> eightDigitDate(std::string_view dateText) {
    if (dateText.size() != 8) return std::nullopt;
    int value = 0;
    for (const char c : dateText) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

PriceFileLoad loadPriceFile(ProductRegistry& registry, std::string_view productName,
                            const std::string& path, PriceFileTrace* trace) {
    PriceFileLoad result;
    const std::optional<std::string> read = readWholeFile(path, maxPriceFileBytes, &result.tooLarge);
    if (!read) return result;
    result.opened = true;
    const std::string& content = *read;
    Product* product = registry.findProduct(productName);
    if (product != nullptr)
        product->bars.reserve(product->bars.size() +
                              static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) + 2);
    const auto refuse = [&result, trace](int lineNumber, LineRefusal reason, std::string dateText) {
        ++result.refusedCount;
        if (reason != LineRefusal::Unreadable) ++result.outOfOrderCount;
        if (result.firstRefusedLines.size() < PriceFileLoad::maxReportedLines)
            result.firstRefusedLines.push_back(lineNumber);
        if (trace != nullptr) trace->refused.push_back({lineNumber, reason, std::move(dateText)});
    };
    std::optional<int> latestDate;
    int lineNumber = 0;
    for (std::size_t start = 0; start < content.size();) {
        const std::string_view line = nextLine(content, start);
        ++lineNumber;
        const int commas = static_cast<int>(std::count(line.begin(), line.end(), ','));
        if (commas < 4 || product == nullptr) continue;
        Bar parsed;
        if (!parsePriceLine(commas, parsed, line, product->priceScale)) {
            refuse(lineNumber, LineRefusal::Unreadable, {});
            continue;
        }
        const std::optional<int> date = eightDigitDate(parsed.dateText);
        if (date && latestDate && *date <= *latestDate) {
            refuse(lineNumber, *date == *latestDate ? LineRefusal::DateRepeated : LineRefusal::DateEarlier,
                   std::move(parsed.dateText));
            continue;
        }
        if (Bar* bar = registry.addBar(productName, line)) {
            *bar = std::move(parsed);
            ++result.barsLoaded;
            if (date) latestDate = date;
            if (trace != nullptr) trace->barLines.push_back(lineNumber);
        }
    }
    result.linesRead = lineNumber;
    registry.appendEmptyBar(productName);
    return result;
}

std::string priceFileTooLargeMessage(const std::string& path) {
    return "The price file " + path + " is larger than " + std::to_string(maxPriceFileBytes / (1024 * 1024)) +
           " MB and is not read.";
}

std::string PriceFileLoad::refusedSummary() const {
    if (refusedCount == 0) return {};
    std::string text = std::to_string(refusedCount) + (refusedCount == 1 ? " line" : " lines") +
                       " refused (line" + (firstRefusedLines.size() == 1 ? " " : "s ");
    for (std::size_t i = 0; i < firstRefusedLines.size(); ++i) {
        if (i > 0) text += ", ";
        text += std::to_string(firstRefusedLines[i]);
    }
    if (static_cast<int>(firstRefusedLines.size()) < refusedCount) text += ", ...";
    text += ")";
    if (outOfOrderCount > 0)
        text += "; " + std::to_string(outOfOrderCount) + " dated not later than the bar before";
    return text;
}

}  // namespace varkel
