#pragma once

#include "data/calendar_date.h"
#include "data/data_quality_rules.h"
#include "data/product_registry.h"

#include <cstddef>
#include <string>
#include <optional>
#include <string_view>
#include <vector>

namespace varkel {

// A daily history is a few hundred kilobytes; anything beyond this is not one
// (or is a device that never ends) and is refused before it fills the memory.
inline constexpr std::size_t maxPriceFileBytes = 64 * 1024 * 1024;

// "The price file PATH is larger than 64 MB and is not read."
std::string priceFileTooLargeMessage(const std::string& path);

// Why a line of a price file was not loaded.
enum class LineRefusal {
    Unreadable,   // price fields missing or not numbers, or the date text too long
    DateRepeated, // the same eight-digit date as the latest bar loaded
    DateEarlier,  // an eight-digit date before the latest bar loaded
    NotPositive,  // a price of zero or below: no market trades there
    Absurd,       // a price beyond absurdPriceFactor times (or below 1/absurdPriceFactor of) the median close
    CutShort,     // the file's last line holds part of a bar only (a write or a download broke off)
};

struct RefusedLine {
    int lineNumber = 0;  // 1-based
    LineRefusal reason = LineRefusal::Unreadable;
    std::string dateText;  // as written; empty for an unreadable line
};

// What a load did. Lines whose price fields are missing or not numbers, lines
// whose date text is too long, and bars dated not later than the bar before
// them are refused rather than loaded; they are counted here so that callers
// can tell the user.
struct PriceFileLoad {
    bool opened = false;
    bool tooLarge = false;  // not opened: larger than maxPriceFileBytes
    int linesRead = 0;      // LF, CR LF and lone CR all end a line
    int barsLoaded = 0;
    int refusedCount = 0;
    int outOfOrderCount = 0;             // of refusedCount: dated not later than the bar before
    int impossiblePriceCount = 0;        // of refusedCount: NotPositive or Absurd
    int cutLine = 0;                     // the line of a cut-short last line, 0 when none
    std::vector<int> firstRefusedLines;  // 1-based line numbers, at most maxReportedLines

    static constexpr std::size_t maxReportedLines = 10;

    explicit operator bool() const { return opened; }
    // "3 lines refused (lines 1, 7, 9)", followed by "; 2 dated not later than
    // the bar before" when dates were out of order, "; 1 with an impossible
    // price" and "; line 9 is cut short" when so; empty when nothing was
    // refused.
    std::string refusedSummary() const;
};

// Everything a load saw line by line, for a caller that reports on the file
// (the data-quality check): every refused line and the line of every loaded bar.
struct PriceFileTrace {
    std::vector<RefusedLine> refused;
    std::vector<int> barLines;  // barLines[i]: the line of the i-th bar loaded
};

// Fills `bar` from one price-file line "date,open,high,low,close[,...]".
// Fields are positional; each price must be a number (leading blanks allowed,
// reading stops at the first character that cannot belong to it) and is
// multiplied by `priceScale`. False when the line has fewer than 4 commas, a
// price field holds no number, or the date is longer than Bar::maxDateTextLength.
bool parsePriceLine(int commaCount, Bar& bar, std::string_view line, double priceScale);

// Reads every line of the file at `path` into the product's bars and appends the
// empty next-day bar. A bar whose eight-digit date is not later than the latest
// eight-digit date loaded before it is refused, so a history pasted twice or in
// reverse order loads its increasing part only; so is a bar with a price of
// zero or below or an absurd price (see absurdPriceFactor), and a last line
// that holds part of a bar (fewer than four commas, beginning with a digit or
// holding a comma). Nothing is changed when the file cannot be opened or is
// larger than maxPriceFileBytes. `trace`, when given, receives every refusal.
PriceFileLoad loadPriceFile(ProductRegistry& registry, std::string_view productName,
                            const std::string& path, PriceFileTrace* trace = nullptr);

// The same for a price file's text already read.
PriceFileLoad loadPriceText(ProductRegistry& registry, std::string_view productName, std::string_view content,
                            PriceFileTrace* trace = nullptr);

// The 1-based line of the last line of `content` when it holds part of a bar
// only (the loader's CutShort); 0 when the text ends with a whole line.
int cutShortLastLine(std::string_view content);

}  // namespace varkel
