#pragma once

#include "data/price_file.h"
#include "data/product_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varkel::test {

inline constexpr const char* historyName = "T";

// Product "T" with these priced bars, then the empty next-day bar.
inline Product& addHistory(ProductRegistry& registry, const std::vector<Bar>& bars) {
    Product* product = registry.addProduct(historyName);
    product->bars = bars;
    product->bars.emplace_back();
    return *product;
}

// Bars whose open, high and low equal the close.
inline std::vector<Bar> barsWithCloses(const std::vector<double>& closes) {
    std::vector<Bar> bars(closes.size());
    for (std::size_t i = 0; i < closes.size(); ++i)
        bars[i].open = bars[i].high = bars[i].low = bars[i].close = closes[i];
    return bars;
}

inline Product& addCloses(ProductRegistry& registry, const std::vector<double>& closes) {
    return addHistory(registry, barsWithCloses(closes));
}

// count values from `first`, each `step` above the one before.
inline std::vector<double> steps(int count, double first, double step) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) values.push_back(first + step * i);
    return values;
}

// A zig-zag that rises overall, so that every study has something to measure.
inline std::vector<Bar> wavyBars(int count) {
    std::vector<Bar> bars(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Bar& bar = bars[static_cast<std::size_t>(i)];
        bar.close = 100.0 + 0.1 * i + ((i * 7) % 5 - 2) * 0.5;
        bar.open = bar.close - 0.2;
        bar.high = bar.close + 0.3 + (i % 3) * 0.1;
        bar.low = bar.open - 0.4;
    }
    return bars;
}

inline Product& loadSample(ProductRegistry& registry, const std::string& product,
                           const std::string& file) {
    registry.addProduct(product);
    const PriceFileLoad load = loadPriceFile(registry, product, std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/" + file);
    EXPECT_TRUE(load) << file;
    return *registry.findProduct(product);
}

// Every field the studies write, with its span, as plain numbers, so that two
// bars can be compared whole.
inline std::vector<double> studyFields(const Bar& bar) {
    return {bar.ema, bar.keltnerLower, bar.keltnerUpper, bar.trueRange, bar.atr,
            double(bar.atrPeriod), double(bar.emaPeriod), bar.maLong, bar.maShort,
            double(bar.maLongPeriod), double(bar.maShortPeriod), bar.stochRange,
            bar.stochCloseLessLow, double(bar.stochSlowDPeriod), double(bar.stochDPeriod),
            double(bar.stochKPeriod), bar.stochSlowD, bar.stochD, bar.stochK, bar.roc,
            double(bar.rocPeriod), bar.ndist, double(bar.ndistPeriod), double(bar.macdSignalPeriod),
            bar.macdSignal, bar.macdLine, double(bar.lregPeriod), bar.lregSlope,
            double(bar.tscPeriod), bar.tsc, double(bar.rsiPeriod), bar.rsi,
            double(bar.macdFastPeriod), bar.macdFast, double(bar.macdSlowPeriod), bar.macdSlow};
}

inline std::vector<std::vector<double>> studyFields(const Product& product) {
    std::vector<std::vector<double>> fields;
    for (const Bar& bar : product.bars) fields.push_back(studyFields(bar));
    return fields;
}

// One column of every priced bar (the trailing bar left out).
template <typename T>
std::vector<T> pricedColumn(const Product& product, T Bar::*field) {
    std::vector<T> values;
    for (int i = 0; i < product.historyLength(); ++i) values.push_back(product.bars[i].*field);
    return values;
}

}  // namespace varkel::test
