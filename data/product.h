#pragma once

#include "data/bar.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace varkel {

// A currency pair and its daily bars, oldest first. After a price file is
// loaded the list ends with one empty bar that stands for the next trading day,
// so barCount() - 1 is the length of the history.
struct Product {
    double priceScale = 0.01;   // files hold prices in hundredths
    std::int32_t tradeUnits = 5;
    double pipSize = 0.01;      // the back-test charges 20 pips per entry and exit
    std::vector<Bar> bars;
    std::string name;

    static constexpr std::size_t maxNameLength = 255;

    int barCount() const { return static_cast<int>(bars.size()); }
    // Number of priced bars: every bar but the trailing next-day bar.
    int historyLength() const { return barCount() - 1; }
    // The decimals of a price at the file's precision: 2 for hundredths.
    int priceDecimals() const { return std::max(0, static_cast<int>(std::lround(-std::log10(priceScale)))); }
};

// A product name with every '/' replaced by '_': the base of its file names.
std::string fileStem(std::string_view productName);

}  // namespace varkel
