#include "windows/studies/chart_repaint.h"

#include "chart/chart_painter.h"
#include "studies/study_catalogue.h"
#include "workbench/chart_fx.h"

#include <string_view>

using namespace varkel;

namespace {

constexpr int priceSeriesHint = 5;

StudyKind kindOfKey(std::string_view key) {
    for (const StudyInfo& study : studyCatalogue())
        if (study.chartKey != nullptr && key == study.chartKey) return study.kind;
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
    record.chart->openData(dataValues, 0, kind == StudyKind::Macd ? 2 : 1);
    ChartPainter(workspace, kind, false).paint();
    record.chart->closeData(dataValues);
}

void repaintEveryChart(WorkspaceCharts& workspace) {
    repaintPriceChart(workspace, workspace.priceOverlay == 1 ? StudyKind::KeltnerChannels : StudyKind::MovingAverages);
    for (const auto& record : workspace.studyCharts) repaintStudyChart(workspace, *record);
}

namespace {

// The series after the four of the price bars: the two overlay lines.
constexpr int firstOverlaySeries = 4;

void nameOverlay(WorkspaceCharts& workspace, const QString& first, const QString& second) {
    auto* chart = dynamic_cast<CChartFX*>(workspace.priceChart);
    if (chart == nullptr) return;
    chart->setSeriesName(firstOverlaySeries, first);
    chart->setSeriesName(firstOverlaySeries + 1, second);
}

}  // namespace

void nameAverageLines(WorkspaceCharts& workspace, int shortSpan, int longSpan) {
    nameOverlay(workspace, QStringLiteral("MA %1").arg(shortSpan), QStringLiteral("MA %1").arg(longSpan));
}

void nameKeltnerBands(WorkspaceCharts& workspace) {
    nameOverlay(workspace, QStringLiteral("Upper"), QStringLiteral("Lower"));
}
