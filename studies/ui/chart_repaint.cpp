#include "studies/ui/chart_repaint.h"

#include "chart/chart_painter.h"
#include "studies/study_catalogue.h"

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
