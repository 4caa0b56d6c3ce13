#pragma once

#include "data/bar.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// What the data-quality check can find in a price file.
enum class FindingKind {
    RefusedLine,       // price fields missing or not numbers: not loaded
    DateRepeated,      // the date of the bar before again: not loaded
    DateOutOfOrder,    // a date before the bar before: not loaded
    NotACalendarDate,  // eight digits that name no day (20240230)
    Gap,               // more than maxGapDays calendar days since the bar before
    PriceOutOfRange,   // high below low, or open or close outside low..high
    Spike,             // a one-day jump away from both neighbours that reverses the next day
    FlatRun,           // flatRunLength or more identical bars in a row
    NotPositivePrice,  // a price of zero or below: not loaded
    AbsurdPrice,       // a price far from the file's median close (absurdPriceFactor): not loaded
    CutShort,          // the last line holds part of a bar only: not loaded
    NotEightDigits,    // a date that is not eight digits: loaded, but kept in no order
    HighSpike,         // a high far above both neighbours' highs (bar_range_check.h)
    LowSpike,          // a low far below both neighbours' lows
    AbsurdHighLow,     // a high or low no day's trading reaches from its own open and close
};

// One finding. Prices are as loaded (scaled by the product's price scale).
struct DataFinding {
    FindingKind kind = FindingKind::RefusedLine;
    int lineNumber = 0;        // the line of the file; a flat run: its first line
    std::string dateText;      // the bar's date as written; empty for an unreadable line
    std::string previousDate;  // out of order, gap, spike: the date of the bar before
    int days = 0;              // gap: calendar days since the bar before
    int runLength = 0;         // flat run: identical bars in a row
    double open = 0.0, high = 0.0, low = 0.0, close = 0.0;  // the bar's prices
    double previousClose = 0.0;  // spike: the closes around it
    double nextClose = 0.0;
    double typicalChange = 0.0;  // spike: the median absolute daily change around it (the mean when that is 0)
    double neighbourBound = 0.0;  // high or low spike: the higher neighbouring high, or the lower neighbouring low
};

struct PriceCheck {
    bool readable = false;  // false: the file could not be read, nothing was checked
    bool tooLarge = false;  // not readable: larger than a price file can be
    int linesRead = 0;
    int barsLoaded = 0;
    std::vector<DataFinding> findings;  // in the order of the file's lines

    static constexpr int maxGapDays = 5;
    static constexpr double spikeFactor = 5.0;
    static constexpr int spikeNeighbourhood = 20;  // bars around a close that set its typical change
    static constexpr int flatRunLength = 5;
};

// Loads the price file the way the program does and reports what a trader
// should know about it: the lines that were not loaded and why, and, among the
// loaded bars, calendar gaps, impossible prices, one-day spikes and flat runs.
// It reports only; nothing is changed.
PriceCheck checkPriceFile(const std::string& path, std::string_view productName);

// The findings among loaded bars (oldest first, without the next-day bar);
// `barLines[i]` is the file line of bars[i].
std::vector<DataFinding> checkBars(const std::vector<Bar>& bars, const std::vector<int>& barLines);

// The median absolute daily change of the closes around bar i: up to
// spikeNeighbourhood bars on both sides (moved inwards at either end of the
// history), leaving out the two changes that touch bar i itself; their mean
// when the median is 0. Nothing when no such change exists.
std::optional<double> typicalChangeAround(const std::vector<Bar>& bars, std::size_t i);

// A finding of `kind` about bars[i], with its line, date and prices.
DataFinding barFinding(FindingKind kind, const std::vector<Bar>& bars, const std::vector<int>& barLines, std::size_t i);

// Whether a finding of this kind marks a bar whose prices are wrong (rather
// than a line not loaded, a gap or a quiet market).
bool flagsBarPrices(FindingKind kind);

}  // namespace varkel
