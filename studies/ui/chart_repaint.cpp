#include "studies/ui/chart_repaint.h"

#include "chart/chart_painter.h"

#include <string_view>

using namespace varkel;

namespace {

// The study kinds in the order their keys are compared.
constexpr std::int32_t studyKinds[] = {5, 7, 8, 10, 11, 9, 12};
constexpr std::int32_t noKind = -999;
constexpr int priceSeriesHint = 5;

std::int32_t kindOfKey(std::string_view key) {
    for (std::int32_t kind : studyKinds)
        if (key == studyChartKey(kind)) return kind;
    return noKind;
}

}  // namespace

void repaintPriceChart(WorkspaceCharts& workspace, std::int32_t kind) {
    if (workspace.priceChart == nullptr) return;
    workspace.priceChart->openData(dataValues, 0, priceSeriesHint);
    ChartPainter(workspace, kind, true).paint();
    workspace.priceChart->closeData(dataValues);
}

void repaintStudyChart(WorkspaceCharts& workspace, const StudyChart& record) {
    const std::int32_t kind = kindOfKey(record.key);
    if (record.chart == nullptr || kind == noKind) return;
    record.chart->openData(dataValues, 0, record.key == "MACD" ? 2 : 1);
    ChartPainter(workspace, kind, false).paint();
    record.chart->closeData(dataValues);
}
