#include "data/price_file.h"

#include "base/text_lines.h"
#include "base/whole_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace varkel {

namespace {

// A price field read the way the C library's strtod reads it (leading blanks,
// an optional sign, decimal or hexadecimal digits, stop at the first character
// that cannot belong to the number), but a field that holds no number at all,
// or only an infinity or a NaN, is a failure instead of 0. Most fields are
// plain decimals: std::from_chars reads those to the same, correctly rounded
// double without copying the field or looking at the locale. Whatever it does
// not read plainly (a hexadecimal number, a sign after '+', a value beyond the
// range of a double) goes to strtod as before, so every field keeps the value
// and the refusal it had.
bool parsePrice(std::string_view field, double& value) {
    std::size_t at = field.find_first_not_of(" \t\n\v\f\r");
    if (at == std::string_view::npos) return false;
    if (field[at] == '+') ++at;
    const std::size_t digits = at < field.size() && field[at] == '-' ? at + 1 : at;
    const bool hexadecimal = digits + 1 < field.size() && field[digits] == '0' && (field[digits + 1] | 0x20) == 'x';
    const bool signAfterPlus = at > 0 && field[at - 1] == '+' && digits != at;
    if (!hexadecimal && !signAfterPlus) {
        const auto [end, error] = std::from_chars(field.data() + at, field.data() + field.size(), value);
        if (error == std::errc()) return std::isfinite(value);
        if (error == std::errc::invalid_argument) return false;
    }
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

namespace {

bool isFilled(std::string_view line) { return line.find_first_not_of(" \t") != std::string_view::npos; }

// The last line of `content` that is not blank, and its 1-based number.
std::pair<std::string_view, int> lastFilledLine(std::string_view content) {
    std::string_view last;
    int lastNumber = 0;
    int lineNumber = 0;
    for (std::size_t start = 0; start < content.size();) {
        const std::string_view line = nextLine(content, start);
        ++lineNumber;
        if (isFilled(line)) {
            last = line;
            lastNumber = lineNumber;
        }
    }
    return {last, lastNumber};
}

// `number` when `line`, the last filled line of a file, holds part of a bar
// only (fewer than four commas, yet a comma or a leading digit); 0 otherwise.
int cutShortLine(std::string_view line, int number) {
    if (number == 0 || std::count(line.begin(), line.end(), ',') >= 4) return 0;
    const bool barLike = line.find(',') != std::string_view::npos || (line.front() >= '0' && line.front() <= '9');
    return barLike ? number : 0;
}

// The middle of the closes (the mean of the two middle ones for an even
// count), over closes above zero; 0 when there are none.
double medianOf(std::vector<double> closes) {
    closes.erase(std::remove_if(closes.begin(), closes.end(), [](double close) { return !(close > 0.0); }),
                 closes.end());
    if (closes.empty()) return 0.0;
    const std::size_t middle = closes.size() / 2;
    std::nth_element(closes.begin(), closes.begin() + static_cast<std::ptrdiff_t>(middle), closes.end());
    const double upper = closes[middle];
    if (closes.size() % 2 == 1) return upper;
    return (*std::max_element(closes.begin(), closes.begin() + static_cast<std::ptrdiff_t>(middle)) + upper) / 2.0;
}

// One line that held a bar, parsed, before the checks that need the whole
// file: only the fields it gave, not a whole bar of zeroed studies.
struct ParsedLine {
    int lineNumber;
    std::string dateText;
    double open, high, low, close;
};

std::optional<LineRefusal> impossiblePrice(const ParsedLine& bar, double median) {
    for (const double price : {bar.open, bar.high, bar.low, bar.close}) {
        if (!(price > 0.0)) return LineRefusal::NotPositive;
        if (price > median * absurdPriceFactor.value || price < median / absurdPriceFactor.value) return LineRefusal::Absurd;
    }
    return std::nullopt;
}

}  // namespace

int cutShortLastLine(std::string_view content) {
    const auto [line, number] = lastFilledLine(content);
    return cutShortLine(line, number);
}

PriceFileLoad loadPriceFile(ProductRegistry& registry, std::string_view productName,
                            const std::string& path, PriceFileTrace* trace) {
    PriceFileLoad result;
    const std::optional<std::string> read = readWholeFile(path, maxPriceFileBytes, &result.tooLarge);
    if (!read) return result;
    return loadPriceText(registry, productName, *read, trace);
}

PriceFileLoad loadPriceText(ProductRegistry& registry, std::string_view productName, std::string_view content,
                            PriceFileTrace* trace) {
    PriceFileLoad result;
    result.opened = true;
    Product* product = registry.findProduct(productName);
    struct Refusal {
        int lineNumber;
        LineRefusal reason;
        std::string dateText;
    };
    std::vector<Refusal> refusals;
    std::vector<ParsedLine> parsed;
    int lineNumber = 0;
    // The last filled line is noted on the way, so the cut-short check needs
    // no second walk over the file.
    std::string_view lastFilled;
    int lastFilledNumber = 0;
    Bar bar;  // parsePriceLine's fields of each line in turn
    for (std::size_t start = 0; start < content.size();) {
        const std::string_view line = nextLine(content, start);
        ++lineNumber;
        if (isFilled(line)) {
            lastFilled = line;
            lastFilledNumber = lineNumber;
        }
        const int commas = static_cast<int>(std::count(line.begin(), line.end(), ','));
        if (commas < 4 || product == nullptr) continue;
        if (parsePriceLine(commas, bar, line, product->priceScale))
            parsed.push_back({lineNumber, std::move(bar.dateText), bar.open, bar.high, bar.low, bar.close});
        else
            refusals.push_back({lineNumber, LineRefusal::Unreadable, {}});
    }
    result.linesRead = lineNumber;
    if (product != nullptr) {
        result.cutLine = cutShortLine(lastFilled, lastFilledNumber);
        if (result.cutLine > 0) refusals.push_back({result.cutLine, LineRefusal::CutShort, {}});
        product->bars.reserve(product->bars.size() + parsed.size() + 1);
    }

    std::vector<double> closes;
    closes.reserve(parsed.size());
    for (const ParsedLine& line : parsed) closes.push_back(line.close);
    const double median = medianOf(std::move(closes));
    std::optional<int> latestDate;
    for (ParsedLine& line : parsed) {
        if (const auto impossible = impossiblePrice(line, median)) {
            refusals.push_back({line.lineNumber, *impossible, std::move(line.dateText)});
            continue;
        }
        const std::optional<int> date = eightDigitDate(line.dateText);
        if (date && latestDate && *date <= *latestDate) {
            refusals.push_back({line.lineNumber,
                                *date == *latestDate ? LineRefusal::DateRepeated : LineRefusal::DateEarlier,
                                std::move(line.dateText)});
            continue;
        }
        Bar& added = registry.addBar(*product);  // lines are parsed only for a known product
        added.dateText = std::move(line.dateText);
        added.open = line.open;
        added.high = line.high;
        added.low = line.low;
        added.close = line.close;
        ++result.barsLoaded;
        if (date) latestDate = date;
        if (trace != nullptr) trace->barLines.push_back(line.lineNumber);
    }
    std::stable_sort(refusals.begin(), refusals.end(),
                     [](const Refusal& a, const Refusal& b) { return a.lineNumber < b.lineNumber; });
    for (Refusal& refusal : refusals) {
        ++result.refusedCount;
        if (refusal.reason == LineRefusal::DateRepeated || refusal.reason == LineRefusal::DateEarlier)
            ++result.outOfOrderCount;
        if (refusal.reason == LineRefusal::NotPositive || refusal.reason == LineRefusal::Absurd)
            ++result.impossiblePriceCount;
        if (result.firstRefusedLines.size() < PriceFileLoad::maxReportedLines)
            result.firstRefusedLines.push_back(refusal.lineNumber);
        if (trace != nullptr) trace->refused.push_back({refusal.lineNumber, refusal.reason, std::move(refusal.dateText)});
    }
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
    if (impossiblePriceCount > 0)
        text += "; " + std::to_string(impossiblePriceCount) + " with an impossible price";
    if (cutLine > 0) text += "; line " + std::to_string(cutLine) + " is cut short";
    return text;
}

}  // namespace varkel
