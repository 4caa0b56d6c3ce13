#pragma once

#include "chart/workspace_charts.h"
#include "studies/study_kind.h"

namespace varkel {

// The key a study chart of `kind` is registered under; "NA" for a kind that
// has no study chart.
const char* studyChartKey(StudyKind kind);

// Fills one chart of a workspace from the bars of its product: the price chart
// (with the moving averages, or with the Keltner bands for KeltnerChannels) or
// the study chart of `kind`. Only the last barsShown bars of the history are
// painted. The caller opens the chart's value data before and closes it after.
class ChartPainter {
public:
    ChartPainter(WorkspaceCharts& paintedWorkspace, StudyKind paintKind, bool priceChart)
        : kind(paintKind), isPriceChart(priceChart), workspace(paintedWorkspace) {}

    void paint();

    StudyKind kind;
    bool isPriceChart;
    WorkspaceCharts& workspace;

private:
    void paintPriceChart(const Product& product);
    void paintStudyChart(const Product& product);
};

}  // namespace varkel
