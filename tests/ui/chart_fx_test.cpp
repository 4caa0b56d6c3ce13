#include "ui_test_support.h"

#include "app/open_flow.h"
#include "chart/chart_control.h"
#include "chart/price_chart_setup.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"

#include <QMouseEvent>
#include <QStatusBar>
#include <QWheelEvent>
#include <qcustomplot.h>

#include <cmath>

using namespace varkel;

namespace {

QCustomPlot* plotOf(CChartFX& chart) {
    return chart.findChild<QCustomPlot*>();
}

// A price chart of five points set up the way Open sets one up; point 2 lacks
// its high and point 3 its short average.
void fillFivePoints(CChartFX& chart) {
    applyPriceChartLook(chart);
    chart.openData(dataValues, 0, 6);
    for (int i = 0; i < 5; ++i) {
        chart.setValue(0, i, 100 + i);
        chart.setValue(1, i, 101 + i);
        chart.setValue(2, i, 102 + i);
        chart.setValue(3, i, i == 2 ? hiddenValue : 103 + i);
        chart.setValue(4, i, i == 3 ? hiddenValue : 101.5 + i);
        chart.setValue(5, i, 101 + i);
        chart.setPointLabel(i, "d" + std::to_string(i));
    }
    chart.closeData(dataValues);
    applyPriceSeriesStyles(chart);
    chart.setPlotRange(0, 98, 5, 110);
    finishChart(chart);
}

}  // namespace

class ChartFxTest : public QObject {
    Q_OBJECT
private slots:
    void barSeriesBecomeOhlcBarsAndTheRestLines();
    void seriesWithoutTypeFollowTheGallery();
    void pointLabelsAreTheDateTicks();
    void pointsBeyondThePlotRangeAreKeptButNotDrawn();
    void settingsChangeTheLook();
    void wheelZoomsTheDatesAndFitsThePrices();
    void hoverShowsThePointInTheStatusBar();
};

void ChartFxTest::barSeriesBecomeOhlcBarsAndTheRestLines() {
    CChartFX chart(nullptr);
    fillFivePoints(chart);
    QCustomPlot* plot = plotOf(chart);
    QCOMPARE(plot->plottableCount(), 3);
    auto* bars = qobject_cast<QCPFinancial*>(plot->plottable(0));
    QVERIFY(bars != nullptr);
    QCOMPARE(bars->chartStyle(), QCPFinancial::csOhlc);
    QCOMPARE(bars->data()->size(), 4);  // point 2 is not drawn
    const QCPFinancialData& first = *bars->data()->constBegin();
    QCOMPARE(first.low, 100.0);
    QCOMPARE(first.open, 101.0);
    QCOMPARE(first.close, 102.0);
    QCOMPARE(first.high, 103.0);
    QCOMPARE(bars->pen().color(), QColor(255, 0, 0));
    QVERIFY(!bars->twoColored());

    QCOMPARE(plot->graphCount(), 2);
    QCOMPARE(plot->graph(0)->pen().color(), QColor(0, 255, 0));
    QCOMPARE(plot->graph(1)->pen().color(), QColor(0, 0, 255));
    QCOMPARE(plot->graph(0)->scatterStyle().shape(), QCPScatterStyle::ssNone);
    QCOMPARE(plot->graph(0)->data()->size(), 5);
    QVERIFY(std::isnan((plot->graph(0)->data()->constBegin() + 3)->value));  // a gap
    QCOMPARE((plot->graph(0)->data()->constBegin() + 4)->value, 105.5);
    QCOMPARE(chart.seriesCount(), 6);
    QCOMPARE(plot->xAxis->range(), QCPRange(-0.5, 4.5));  // points 0 ... 4, whole
    QCOMPARE(plot->yAxis->range(), QCPRange(98, 110));
}

void ChartFxTest::seriesWithoutTypeFollowTheGallery() {
    CChartFX chart(nullptr);
    chart.setSetting(settingGallery, galleryLines);
    chart.openData(dataValues, 0, 1);
    for (int series = 0; series < 4; ++series) chart.setValue(series, 0, 1.0);
    chart.closeData(dataValues);
    QCOMPARE(plotOf(chart)->graphCount(), 4);

    chart.setSetting(settingGallery, galleryBars);
    chart.closeData(dataValues);
    QCOMPARE(plotOf(chart)->graphCount(), 0);
    QCOMPARE(plotOf(chart)->plottableCount(), 1);
}

void ChartFxTest::pointLabelsAreTheDateTicks() {
    CChartFX chart(nullptr);
    chart.resize(600, 300);
    fillFivePoints(chart);
    QCustomPlot* plot = plotOf(chart);
    plot->replot();
    const QVector<QString> labels = plot->xAxis->tickVectorLabels();
    QVERIFY(!labels.isEmpty());
    for (const QString& label : labels) QVERIFY2(label.isEmpty() || label.startsWith('d'), qPrintable(label));
    QVERIFY(labels.contains("d0") && labels.contains("d4"));
    for (double tick : plot->xAxis->tickVector()) QCOMPARE(tick, std::round(tick));
}

void ChartFxTest::pointsBeyondThePlotRangeAreKeptButNotDrawn() {
    CChartFX chart(nullptr);
    fillFivePoints(chart);
    chart.setPlotRange(0, 98, 3, 110);  // a later paint of three points
    QCustomPlot* plot = plotOf(chart);
    QCOMPARE(qobject_cast<QCPFinancial*>(plot->plottable(0))->data()->size(), 2);  // points 0 and 1
    QVERIFY(std::isnan((plot->graph(1)->data()->constBegin() + 3)->value));
    QCOMPARE((plot->graph(1)->data()->constBegin() + 2)->value, 103.0);
    QCOMPARE(chart.value(5, 4), 105.0);
    QCOMPARE(chart.pointCount(), 5);
    plot->xAxis->setRange(-10, 20);  // the user zooms out: the y range fits the drawn points
    QVERIFY(plot->yAxis->range().upper < 106);
    // Nor do the kept points' dates show under the empty part of the axis.
    chart.resize(600, 300);
    plot->replot();
    for (const QString& label : plot->xAxis->tickVectorLabels())
        QVERIFY2(label.isEmpty() || label == "d0" || label == "d1" || label == "d2", qPrintable(label));
}

void ChartFxTest::settingsChangeTheLook() {
    CChartFX chart(nullptr);
    QCustomPlot* plot = plotOf(chart);
    QVERIFY(plot->xAxis->grid()->visible() && plot->yAxis->grid()->visible());
    chart.setSetting(settingHorizontalGrid, 0);
    QVERIFY(!plot->yAxis->grid()->visible());
    chart.setSetting(settingVerticalGrid, 0);
    QVERIFY(!plot->xAxis->grid()->visible());
    QVERIFY(plot->xAxis2->visible());
    chart.setSetting(settingAxesBox, 0);
    QVERIFY(!plot->xAxis2->visible());
    chart.setSetting(settingBackground, 0x00FF8000);  // blue 255, green 128, red 0
    QCOMPARE(plot->toPixmap(50, 50).toImage().pixelColor(1, 1), QColor(0, 128, 255));
    chart.setTitle(1, "RSI (14)");
    QCOMPARE(chart.title(), QStringLiteral("RSI (14)"));
}

void ChartFxTest::wheelZoomsTheDatesAndFitsThePrices() {
    CChartFX chart(nullptr);
    chart.resize(600, 300);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    chart.openData(dataValues, 0, 1);
    for (int i = 0; i < 100; ++i) chart.setValue(0, i, i < 50 ? 10.0 + i : 500.0 + i);
    chart.closeData(dataValues);
    chart.setPlotRange(0, 0, 100, 700);
    QCustomPlot* plot = plotOf(chart);
    const QPointF atPoint25(plot->xAxis->coordToPixel(25), plot->yAxis->coordToPixel(300));
    QWheelEvent wheel(atPoint25, plot->mapToGlobal(atPoint25), QPoint(), QPoint(0, 960), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &wheel);
    const QCPRange x = plot->xAxis->range();
    QVERIFY(x.size() < 50);
    QVERIFY(x.lower > 0 && x.upper < 50);
    QVERIFY(plot->yAxis->range().lower < 10.0 + std::ceil(x.lower));
    QVERIFY(plot->yAxis->range().upper < 100);  // fitted to the points in view
}

void ChartFxTest::hoverShowsThePointInTheStatusBar() {
    Workstation station;
    ChartWorkspace& workspace = *activeWorkspace();
    QVERIFY(openPriceFile(workspace, "USD/JPY", station.writeFile("p.txt", "20240102,12031,12110,12009,12100\n"
                                                                           "20240103,12100,12150,12050,12140\n")));
    auto* chart = dynamic_cast<CChartFX*>(workspace.priceChart);
    QCustomPlot* plot = plotOf(*chart);
    const QPoint overPoint1(static_cast<int>(plot->xAxis->coordToPixel(1)), plot->height() / 2);
    QMouseEvent move(QEvent::MouseMove, overPoint1, plot->mapToGlobal(overPoint1), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    QCOMPARE(station.frame()->statusBar()->currentMessage(),
             QStringLiteral("20240103    O 121.00  H 121.50  L 120.50  C 121.40"));
}

QTEST_MAIN(ChartFxTest)
#include "chart_fx_test.moc"
