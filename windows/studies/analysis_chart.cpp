#include "windows/studies/analysis_chart.h"

#include "chart/chart_painter.h"
#include "chart/price_chart_setup.h"
#include "windows/studies/analysis_study.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/tab_strip.h"

#include <new>

using namespace varkel;

namespace {

// The chart of the study, made with its tab on first use; null when it cannot be made.
StudyChart* studyChartFor(ChartWorkspace& workspace, const AnalysisStudy& study) {
    if (StudyChart* existing = findStudyChart(study.info.chartKey, workspace)) return existing;
    auto* chart = new (std::nothrow) CChartFX(workspace.studyTab);
    if (chart == nullptr) return nullptr;
    chart->hide();
    StudyChart* record = addStudyChart(workspace, chart, study.info.chartKey);
    // Zooming or panning any chart of the view moves all of them together.
    CChartFX::linkXRanges(chart, dynamic_cast<CChartFX*>(workspace.priceChart));
    for (const auto& other : workspace.studyCharts)
        CChartFX::linkXRanges(chart, dynamic_cast<CChartFX*>(other->chart));
    workspace.studyTab->insertTab(workspace.studyChartCount, QString::fromUtf8(study.tabText));
    ++workspace.studyChartCount;
    return record;
}

void applyStudyChartLook(ChartControl& chart) {
    chart.setSetting(settingBackground, colourWhite);
    chart.setSetting(settingAxesBox, 0);
    chart.setSetting(settingGallery, galleryLines);
}

void applyStudySeriesStyles(ChartControl& chart, const AnalysisStudy& study) {
    const int count = chart.seriesCount();
    chart.openData(dataStyles, study.lineCount, 0);
    for (int series = 0; series < count; ++series) {
        chart.seriesStyle(series, styleTypeCode, seriesLine);
        chart.seriesStyle(series, styleMarkers, 0);
        if (study.lineCount == 1)
            chart.seriesStyle(series, styleColour, colourBlue);
        else if (series < 2)
            chart.seriesStyle(series, styleColour, series == 0 ? colourGreen : colourBlue);
    }
    chart.closeData(dataStyles);
}

int positionOf(const StudyChart* record, const ChartWorkspace& workspace) {
    for (std::size_t i = 0; i < workspace.studyCharts.size(); ++i)
        if (workspace.studyCharts[i].get() == record) return static_cast<int>(i);
    return -1;
}

}  // namespace

bool drawAnalysisChart(ChartWorkspace& workspace, const AnalysisStudy& study, std::string_view title) {
    StudyChart* record = studyChartFor(workspace, study);
    if (record == nullptr || record->chart == nullptr) return false;
    ChartControl& chart = *record->chart;

    if (workspace.priceChart != nullptr) workspace.priceChart->setSetting(settingVerticalGrid, 0);
    applyStudyChartLook(chart);

    chart.openData(dataValues, 0, 0);
    ChartPainter(workspace, study.info.kind, false).paint();
    chart.closeData(dataValues);
    applyStudySeriesStyles(chart, study);

    for (const auto& each : workspace.studyCharts)
        if (each->chart != nullptr) each->chart->showWindow(false);
    chart.moveWindow(0, 0, workspace.studyTab->width(), workspace.studyTab->height() - TabStrip::tabRowHeight);
    chart.showWindow(true);
    chart.setSetting(settingHorizontalGrid, 0);

    // The chart's own tab, so that the selected tab always names the chart shown.
    workspace.studyTab->setCurrentIndex(positionOf(record, workspace));

    chart.setTitle(1, title);
    finishChart(chart);
    return true;
}
