#include "chart/chart_painter.h"
#include "chart/price_chart_setup.h"
#include "recording_chart.h"

#include <gtest/gtest.h>

using namespace varkel;

namespace {

constexpr const char* productName = "USD/JPY";

// A workspace whose product has `history` bars (bar i: low 100 + i, high
// 101 + i, date "d<i>") and the trailing next-day bar, as after Open.
struct PaintedWorkspace {
    WorkspaceCharts workspace;
    RecordingChart priceChart;

    explicit PaintedWorkspace(int history) {
        workspace.productName = productName;
        workspace.priceChart = &priceChart;
        workspace.registry.addProduct(productName);
        for (int i = 0; i < history; ++i) {
            Bar& bar = *workspace.registry.addBar(productName, "d,1,1,1,1");
            bar.dateText = "d" + std::to_string(i);
            bar.low = 100.0 + i;
            bar.open = 100.25 + i;
            bar.close = 100.75 + i;
            bar.high = 101.0 + i;
            bar.maShort = 50.0 + i;
            bar.maShortPeriod = 20;
            bar.maLong = 60.0 + i;
            bar.maLongPeriod = 40;
        }
        workspace.registry.appendEmptyBar(productName);
        workspace.barsTotal = workspace.barsShown = history + 1;
    }
    std::vector<Bar>& bars() { return workspace.registry.findProduct(productName)->bars; }
};

}  // namespace

TEST(ChartPainter, PriceChartShowsOnlyTheLastBarsShown) {
    PaintedWorkspace fixture(100);
    fixture.workspace.barsShown = 50;  // start at bar 101 - 50 = 51
    ChartPainter(fixture.workspace, StudyKind::MovingAverages, true).paint();

    const RecordingChart& chart = fixture.priceChart;
    ASSERT_EQ(chart.pointCount(), 49);  // bars 51 ... 99
    EXPECT_EQ(chart.labels.at(0), "d51");
    EXPECT_EQ(chart.labels.at(48), "d99");
    EXPECT_DOUBLE_EQ(chart.value(0, 0), 151.0);   // low
    EXPECT_DOUBLE_EQ(chart.value(1, 0), 151.25);  // open
    EXPECT_DOUBLE_EQ(chart.value(2, 0), 151.75);  // close
    EXPECT_DOUBLE_EQ(chart.value(3, 0), 152.0);   // high
    EXPECT_DOUBLE_EQ(chart.value(4, 0), 101.0);   // maShort of bar 51
    EXPECT_DOUBLE_EQ(chart.value(5, 48), 159.0);  // maLong of bar 99
    EXPECT_DOUBLE_EQ(fixture.workspace.minLow, 151.0);
    EXPECT_DOUBLE_EQ(fixture.workspace.maxHigh, 200.0);
    EXPECT_DOUBLE_EQ(chart.xMin, 0.0);
    EXPECT_DOUBLE_EQ(chart.xMax, 49.0);
    EXPECT_DOUBLE_EQ(chart.yMin, 149.0);
    EXPECT_DOUBLE_EQ(chart.yMax, 202.0);
}

TEST(ChartPainter, FullRepaintCoversTheHistoryButNotTheNextDayBar) {
    PaintedWorkspace fixture(100);
    ChartPainter(fixture.workspace, StudyKind::MovingAverages, true).paint();
    EXPECT_EQ(fixture.priceChart.pointCount(), 100);
    EXPECT_DOUBLE_EQ(fixture.priceChart.xMax, 100.0);
    // The averages are hidden until their windows are full.
    EXPECT_EQ(fixture.priceChart.value(4, 18), hiddenValue);
    EXPECT_DOUBLE_EQ(fixture.priceChart.value(4, 19), 69.0);
    EXPECT_EQ(fixture.priceChart.value(5, 38), hiddenValue);
    EXPECT_DOUBLE_EQ(fixture.priceChart.value(5, 39), 99.0);
}

TEST(ChartPainter, AveragesNeverComputedAreHiddenNotDrawnAtZero) {
    PaintedWorkspace fixture(3);
    for (Bar& bar : fixture.bars()) bar.maShortPeriod = bar.maLongPeriod = 0;
    ChartPainter(fixture.workspace, StudyKind::MovingAverages, true).paint();
    EXPECT_EQ(fixture.priceChart.value(4, 2), hiddenValue);
    EXPECT_EQ(fixture.priceChart.value(5, 2), hiddenValue);
}

TEST(ChartPainter, KeltnerBandsAreHiddenWhereTheLowerBandIsZero) {
    PaintedWorkspace fixture(3);
    fixture.bars()[1].keltnerLower = 99.0;
    fixture.bars()[1].keltnerUpper = 103.0;
    ChartPainter(fixture.workspace, StudyKind::KeltnerChannels, true).paint();
    EXPECT_EQ(fixture.priceChart.value(4, 0), hiddenValue);
    EXPECT_EQ(fixture.priceChart.value(5, 0), hiddenValue);
    EXPECT_DOUBLE_EQ(fixture.priceChart.value(4, 1), 103.0);
    EXPECT_DOUBLE_EQ(fixture.priceChart.value(5, 1), 99.0);
}

TEST(ChartPainter, StudyOfNegativeValuesGetsARangeUpToHalf) {
    PaintedWorkspace fixture(10);
    RecordingChart rsiChart;
    addStudyChart(fixture.workspace, &rsiChart, "RSI");
    for (int i = 0; i < 10; ++i) fixture.bars()[static_cast<std::size_t>(i)].rsi = -1.0 - i;
    fixture.workspace.barsShown = 6;  // bars 5 ... 9

    ChartPainter(fixture.workspace, StudyKind::Rsi, false).paint();

    ASSERT_EQ(rsiChart.pointCount(), 5);
    EXPECT_DOUBLE_EQ(rsiChart.value(0, 0), -6.0);
    EXPECT_EQ(rsiChart.value(1, 0), hiddenValue);
    EXPECT_EQ(rsiChart.labels.at(4), "d9");
    const StudyChart* record = findStudyChart("RSI", fixture.workspace);
    EXPECT_DOUBLE_EQ(record->yMax, 0.0);
    EXPECT_DOUBLE_EQ(record->yMin, -10.0);
    EXPECT_DOUBLE_EQ(rsiChart.yMax, 0.5);
    EXPECT_DOUBLE_EQ(rsiChart.yMin, -10.5);
    EXPECT_DOUBLE_EQ(rsiChart.xMax, 5.0);
    EXPECT_EQ(rsiChart.settings.at(settingHorizontalGrid), 0u);
    EXPECT_EQ(fixture.priceChart.settings.at(settingVerticalGrid), 0u);
    EXPECT_TRUE(fixture.priceChart.values.empty());
}

TEST(ChartPainter, TwoLineStudiesPaintBothSeries) {
    PaintedWorkspace fixture(2);
    RecordingChart macdChart, stochChart;
    addStudyChart(fixture.workspace, &macdChart, "MACD");
    addStudyChart(fixture.workspace, &stochChart, "STOCHASTICS");
    fixture.bars()[1].macdLine = 0.3;
    fixture.bars()[1].macdSignal = 0.2;
    fixture.bars()[1].stochD = 0.7;
    fixture.bars()[1].stochSlowD = 0.6;
    ChartPainter(fixture.workspace, StudyKind::Macd, false).paint();
    ChartPainter(fixture.workspace, StudyKind::Stochastics, false).paint();
    EXPECT_DOUBLE_EQ(macdChart.value(1, 1), 0.2);
    EXPECT_DOUBLE_EQ(stochChart.value(0, 1), 0.7);
    EXPECT_DOUBLE_EQ(stochChart.value(1, 1), 0.6);
}

TEST(ChartPainter, StudyWarmUpIsHiddenNotDrawnAtZero) {
    PaintedWorkspace fixture(6);
    RecordingChart macdChart;
    addStudyChart(fixture.workspace, &macdChart, "MACD");
    // The line has values from bar 2 on (bar 4 is a true 0), the signal from bar 3 on.
    const double line[] = {0.0, 0.0, 0.5, -0.25, 0.0, 0.75};
    const double signal[] = {0.0, 0.0, 0.0, 0.125, 0.25, 0.5};
    for (std::size_t i = 0; i < 6; ++i) {
        fixture.bars()[i].macdLine = line[i];
        fixture.bars()[i].macdSignal = signal[i];
    }
    ChartPainter(fixture.workspace, StudyKind::Macd, false).paint();
    EXPECT_EQ(macdChart.value(0, 1), hiddenValue);
    EXPECT_DOUBLE_EQ(macdChart.value(0, 2), 0.5);
    EXPECT_DOUBLE_EQ(macdChart.value(0, 4), 0.0);
    EXPECT_EQ(macdChart.value(1, 2), hiddenValue);
    EXPECT_DOUBLE_EQ(macdChart.value(1, 3), 0.125);
    // The range still follows every painted bar of the line.
    EXPECT_DOUBLE_EQ(macdChart.yMin, -0.75);
    EXPECT_DOUBLE_EQ(macdChart.yMax, 1.25);

    // Only the warm-up of the whole history is hidden, not zeros after it.
    fixture.workspace.barsShown = 3;  // bars 4 and 5
    ChartPainter(fixture.workspace, StudyKind::Macd, false).paint();
    EXPECT_DOUBLE_EQ(macdChart.value(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(macdChart.value(1, 0), 0.25);
}

TEST(ChartPainter, StudyWithoutItsChartPaintsNothing) {
    PaintedWorkspace fixture(5);
    RecordingChart rsiChart;
    addStudyChart(fixture.workspace, &rsiChart, "RSI");
    ChartPainter(fixture.workspace, StudyKind::NormalDistribution, false).paint();  // no "NDIST" chart
    ChartPainter(fixture.workspace, static_cast<StudyKind>(3), false).paint();  // no study of kind 3
    EXPECT_TRUE(rsiChart.values.empty());
    EXPECT_TRUE(fixture.priceChart.settings.empty());
    EXPECT_STREQ(studyChartKey(static_cast<StudyKind>(3)), "NA");
    EXPECT_STREQ(studyChartKey(StudyKind::MovingAverages), "NA");
    EXPECT_STREQ(studyChartKey(StudyKind::TimeSeriesCorrelation), "RCI");
}

TEST(StudyCharts, KeysAreExactAndRegisteredOnce) {
    WorkspaceCharts workspace;
    RecordingChart first, second;
    addStudyChart(workspace, &first, "RSI");
    EXPECT_EQ(addStudyChart(workspace, &second, "RSI")->chart, &first);
    ASSERT_EQ(workspace.studyCharts.size(), 1u);
    EXPECT_EQ(findStudyChart("rsi", workspace), nullptr);
    EXPECT_EQ(findStudyChart("RS", workspace), nullptr);
    addStudyChart(workspace, &second, "MACD");
    EXPECT_EQ(workspace.studyCharts[1]->chart, &second);
}

TEST(OpenedPriceChart, EndsWithOneHiddenUnlabelledPoint) {
    PaintedWorkspace fixture(2);
    RecordingChart chart;
    const PriceRange range = fillOpenedPriceChart(chart, *fixture.workspace.registry.findProduct(productName));
    ASSERT_EQ(chart.pointCount(), 3);
    for (int series = 0; series < 6; ++series) EXPECT_EQ(chart.value(series, 2), hiddenValue);
    EXPECT_EQ(chart.labels.count(2), 0u);
    EXPECT_EQ(chart.labels.at(1), "d1");
    EXPECT_DOUBLE_EQ(chart.value(3, 1), 102.0);
    EXPECT_EQ(chart.value(4, 1), hiddenValue);  // window of 20 not full
    EXPECT_DOUBLE_EQ(range.minLow, 100.0);
    EXPECT_DOUBLE_EQ(range.maxHigh, 102.0);
}
