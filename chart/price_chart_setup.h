#pragma once

#include "chart/chart_control.h"
#include "data/product.h"

#include <cstdint>

namespace varkel {

// Settings of a new price chart, given before its values.
void applyPriceChartLook(ChartControl& chart);

// Series styles of the price chart: red bars (series 0 to 3: low, open, close,
// high), the short moving average green and the long one blue.
void applyPriceSeriesStyles(ChartControl& chart);

// Tells the chart that it is complete.
void finishChart(ChartControl& chart);

// A moving average is drawn from the bar on which its window is full; a period
// of 0 means it was never computed for this history, so nothing is drawn.
double movingAverageOrHidden(double value, std::int32_t period, int barIndex);

struct PriceRange {
    double maxHigh = 0.0;
    double minLow = 10000000.0;
};

// Fills a newly opened price chart with every bar of the product: the bars and
// both moving averages per history bar, labelled with its date, then one
// hidden, unlabelled point for the next trading day. Returns the price range
// of the history. The caller opens and closes the value data.
PriceRange fillOpenedPriceChart(ChartControl& chart, const Product& product);

}  // namespace varkel
