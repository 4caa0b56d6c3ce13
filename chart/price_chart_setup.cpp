#include "chart/price_chart_setup.h"

namespace varkel {

namespace {

constexpr int priceSeriesCount = 6;

}  // namespace

double movingAverageOrHidden(double value, std::int32_t period, int barIndex) {
    return period <= 0 || barIndex + 1 < period ? hiddenValue : value;
}

void applyPriceChartLook(ChartControl& chart) {
    chart.setSetting(settingAxesBox, 0);
    chart.setSetting(settingGallery, galleryBars);
    chart.setSetting(settingBackground, colourWhite);
}

void applyPriceSeriesStyles(ChartControl& chart) {
    chart.openData(dataStyles, priceSeriesCount, 0);
    for (int series = 0; series < 4; ++series) {
        chart.seriesStyle(series, styleTypeCode, seriesBarPart);
        chart.seriesStyle(series, styleColour, colourRed);
    }
    chart.seriesStyle(4, styleTypeCode, seriesLine);
    chart.seriesStyle(4, styleMarkers, 0);
    chart.seriesStyle(4, styleColour, colourGreen);
    chart.seriesStyle(5, styleTypeCode, seriesLine);
    chart.seriesStyle(5, styleMarkers, 0);
    chart.seriesStyle(5, styleColour, colourBlue);
    chart.closeData(dataStyles);
}

void finishChart(ChartControl& chart) {
    chart.setSetting(settingRedraw, 1);
    chart.setSetting(settingRedraw, 2);
}

PriceRange fillOpenedPriceChart(ChartControl& chart, const Product& product) {
    PriceRange range;
    const int history = product.historyLength();
    for (int i = 0; i < product.barCount(); ++i) {
        const Bar& bar = product.bars[static_cast<std::size_t>(i)];
        if (i == history) {
            for (int series = 0; series < priceSeriesCount; ++series)
                chart.setValue(series, i, hiddenValue);
            continue;
        }
        chart.setValue(0, i, bar.low);
        chart.setValue(1, i, bar.open);
        chart.setValue(2, i, bar.close);
        chart.setValue(3, i, bar.high);
        chart.setValue(4, i, movingAverageOrHidden(bar.maShort, bar.maShortPeriod, i));
        chart.setValue(5, i, movingAverageOrHidden(bar.maLong, bar.maLongPeriod, i));
        chart.setPointLabel(i, bar.dateText);
        if (range.maxHigh <= bar.high) range.maxHigh = bar.high;
        if (range.minLow >= bar.low) range.minLow = bar.low;
    }
    return range;
}

}  // namespace varkel
