#include "studies/ui/chart_repaint.h"

#include "chart/chart_painter.h"

#include <string_view>

using namespace varkel;

namespace {

// The study kinds in the order their keys are compared.
constexpr StudyKind studyKinds[] = {StudyKind::Macd,
                                    StudyKind::Rsi,
                                    StudyKind::TimeSeriesCorrelation,
                                    StudyKind::LinearRegression,
                                    StudyKind::NormalDistribution,
                                    StudyKind::RateOfChange,
                                    StudyKind::Stochastics};
constexpr int priceSeriesHint = 5;

StudyKind kindOfKey(std::string_view key) {
    for (StudyKind kind : studyKinds)
        if (key == studyChartKey(kind)) return kind;
    return StudyKind::NotInUse;
}

}  // namespace

void repaintPriceChart(WorkspaceCharts& workspace, StudyKind kind) {
    if (workspace.priceChart == nullptr) return;
    workspace.priceChart->openData(dataValues, 0, priceSeriesHint);
    ChartPainter(workspace, kind, true).paint();
    workspace.priceChart->closeData(dataValues);
}

void repaintStudyChart(WorkspaceCharts& workspace, const StudyChart& record) {
    const StudyKind kind = kindOfKey(record.key);
    if (record.chart == nullptr || kind == StudyKind::NotInUse) return;
    record.chart->openData(dataValues, 0, record.key == "MACD" ? 2 : 1);
    ChartPainter(workspace, kind, false).paint();
    record.chart->closeData(dataValues);
}
