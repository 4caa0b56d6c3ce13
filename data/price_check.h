#pragma once

#include "data/bar.h"
#include "data/data_quality_rules.h"
#include "data/history_figures.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varkel {

// One finding. Prices are as loaded (scaled by the product's price scale).
struct DataFinding {
    FindingKind kind = FindingKind::RefusedLine;
    int lineNumber = 0;        // the line of the file; a flat run: its first line
    std::string dateText;      // the bar's date as written; empty for an unreadable line
    std::string previousDate;  // out of order, gap, spike: the date of the bar before
    int days = 0;              // gap: calendar days since the bar before
    int runLength = 0;         // flat run: identical bars in a row
    double open = 0.0, high = 0.0, low = 0.0, close = 0.0;  // the bar's prices
    double previousClose = 0.0;  // spike, large move, absurd open: the close before (a spike: and after it)
    double nextClose = 0.0;
    double typicalChange = 0.0;  // spike: the median absolute daily change around it (the mean when that is 0)
    double neighbourBound = 0.0;  // high or low spike: the higher neighbouring high, or the lower neighbouring low;
                                  // repeated wrong price: the price repeated
    std::string flaggedNeighbour;  // repeated wrong price: the date of the flagged bar it repeats
};

struct PriceCheck {
    bool readable = false;  // false: the file could not be read, nothing was checked
    bool tooLarge = false;  // not readable: larger than a price file can be
    int linesRead = 0;
    int barsLoaded = 0;
    std::vector<DataFinding> findings;  // in the order of the file's lines
    std::optional<HistoryFigures> history;            // of the loaded bars; none for a short history
    std::vector<HistoryFindingKind> historyFindings;  // the figures far from clean daily FX
};

// Loads the price file the way the program does and reports what a trader
// should know about it: the lines that were not loaded and why; among the
// loaded bars, calendar gaps, likely wrong prices, unusual moves and flat
// runs; and the figures of the whole history that tell a clean feed from a
// misaligned one. It reports only; nothing is changed.
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

// Whether a finding of this kind marks a bar whose prices are likely wrong
// (rather than a line not loaded, a gap, a quiet market or an unusual move).
bool flagsBarPrices(FindingKind kind);

}  // namespace varkel
