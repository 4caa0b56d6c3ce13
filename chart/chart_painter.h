#pragma once

#include "chart/workspace_charts.h"

#include <cstdint>

namespace varkel {

// Painting kinds are study codes: 0 moving averages and 13 Keltner bands on the
// price chart; 5 MACD, 7 RSI, 8 time series correlation, 9 rate of change,
// 10 linear regression, 11 normal distribution, 12 stochastics on study charts.
inline constexpr std::int32_t paintMovingAverages = 0;
inline constexpr std::int32_t paintKeltner = 13;

// The key a study chart of `kind` is registered under; "NA" for a kind that
// has no study chart.
const char* studyChartKey(std::int32_t kind);

// Fills one chart of a workspace from the bars of its product: the price chart
// or the study chart of `kind`. Only the last barsShown bars of the history are
// painted. The caller opens the chart's value data before and closes it after.
class ChartPainter {
public:
    ChartPainter(WorkspaceCharts& paintedWorkspace, std::int32_t paintKind, bool priceChart)
        : kind(paintKind), isPriceChart(priceChart), workspace(paintedWorkspace) {}
    virtual ~ChartPainter() = default;

    void paint();

    std::int32_t kind;
    bool isPriceChart;
    WorkspaceCharts& workspace;

private:
    void paintPriceChart(const Product& product);
    void paintStudyChart(const Product& product);
};

}  // namespace varkel
