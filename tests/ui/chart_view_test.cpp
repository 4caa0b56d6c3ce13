#include "ui_test_support.h"

#include "app/chart_view.h"
#include "app/open_flow.h"
#include "chart/chart_painter.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/tab_strip.h"

#include <QImage>
#include <QMouseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// A mouse move over `widget`, delivered as the window system would.
void moveMouse(QWidget* widget, QPoint position) {
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// A chart view of its own, laid out at `size`, with its workspace.
struct StandaloneView {
    CVarkelModel2cView view;
    explicit StandaloneView(QSize size) {
        view.resize(size);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    ChartWorkspace& workspace() { return *view.workspace(); }

    CChartFX* addStudyChart(const char* key) {
        ChartWorkspace& ws = workspace();
        auto* chart = new CChartFX(ws.studyTab);
        varkel::addStudyChart(ws, chart, key);
        ws.studyTab->insertTab(ws.studyChartCount++, QString::fromLatin1(key));
        chart->show();
        return chart;
    }
};

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT
private slots:
    void viewOfSixHundredPixelsSplitsTwoThirdsToOneThird();
    void studyTabShowsOnlyItsChart();
    void verticalLinesFollowTheMouseUntilTheNextLayout();
    void activationSelectsTheViewsWorkspace();
    void repaintOfTheLatestBarsKeepsEarlierPointsOutOfRange();
};

void ChartViewTest::viewOfSixHundredPixelsSplitsTwoThirdsToOneThird() {
    Workstation station;
    StandaloneView standalone(QSize(800, 500));
    ChartWorkspace& workspace = standalone.workspace();
    QVERIFY(openPriceFile(workspace, "USD/JPY", station.writeFile("p.txt", risingPrices(10))));
    CChartFX* study = standalone.addStudyChart("RSI");

    standalone.view.resize(900, 600);
    QCOMPARE(workspace.productTab->geometry(), QRect(0, 0, 900, 400));
    QCOMPARE(workspace.studyTab->geometry(), QRect(0, 400, 900, 200));
    QCOMPARE(dynamic_cast<CChartFX*>(workspace.priceChart)->geometry(), QRect(0, 25, 900, 375));
    QCOMPARE(study->geometry(), QRect(0, 0, 900, 175));
}

void ChartViewTest::studyTabShowsOnlyItsChart() {
    Workstation station;
    StandaloneView standalone(QSize(800, 600));
    QVERIFY(openPriceFile(standalone.workspace(), "USD/JPY", station.writeFile("p.txt", risingPrices(10))));
    CChartFX* rsi = standalone.addStudyChart("RSI");
    CChartFX* macd = standalone.addStudyChart("MACD");
    standalone.workspace().studyTab->setCurrentIndex(1);
    QVERIFY(!rsi->isVisible());
    QVERIFY(macd->isVisible());
    standalone.workspace().studyTab->setCurrentIndex(0);
    QVERIFY(rsi->isVisible());
    QVERIFY(!macd->isVisible());
}

void ChartViewTest::verticalLinesFollowTheMouseUntilTheNextLayout() {
    Workstation station;
    StandaloneView standalone(QSize(800, 600));
    CVarkelModel2cView& view = standalone.view;
    moveMouse(&view, QPoint(100, 300));
    QCOMPARE(view.verticalLineCount(), 0);  // the mode is off

    station.app.verticalLineMode = true;
    moveMouse(&view, QPoint(100, 300));
    moveMouse(view.studyTab, QPoint(250, 50));  // over the study strip: x 250 in the view
    QCOMPARE(view.verticalLineCount(), 2);
    QVERIFY(openPriceFile(standalone.workspace(), "USD/JPY", station.writeFile("p.txt", risingPrices(10))));
    QWidget* plot = dynamic_cast<CChartFX*>(standalone.workspace().priceChart)->findChild<QWidget*>();
    moveMouse(plot, QPoint(400, 100));  // over the chart, which tracks the mouse itself
    QCOMPARE(view.verticalLineCount(), 3);
    const QImage picture = view.grab().toImage();
    const QColor blue(Qt::blue);
    QCOMPARE(picture.pixelColor(100, 15), blue);
    QCOMPARE(picture.pixelColor(100, 585), blue);  // down to the height less 15
    QCOMPARE(picture.pixelColor(250, 300), blue);
    QVERIFY(picture.pixelColor(100, 10) != blue);
    QVERIFY(picture.pixelColor(100, 592) != blue);
    QVERIFY(picture.pixelColor(101, 300) != blue);  // one pixel wide
    QCOMPARE(picture.pixelColor(400, 200), blue);

    view.resize(700, 600);
    QCOMPARE(view.verticalLineCount(), 0);
}

void ChartViewTest::activationSelectsTheViewsWorkspace() {
    Workstation station;
    CMainFrame* frame = station.frame();
    const QString path = station.writeFile("p.txt", risingPrices(5));
    QVERIFY(openPriceFile(*activeWorkspace(), "USD/JPY", path));
    QMdiSubWindow* first = frame->mdiArea()->activeSubWindow();
    frame->dispatch(57600);
    QCOMPARE(station.app.workspaces.size(), std::size_t(2));
    ChartWorkspace* second = activeWorkspace();
    QVERIFY(second->productName.empty());
    QCOMPARE(second->view, frame->activeView());

    frame->mdiArea()->setActiveSubWindow(first);
    QCOMPARE(activeWorkspace()->productName, std::string("USD/JPY"));
    QVERIFY(!second->isActive);
    QCOMPARE(frame->activeView()->windowTitle(), QStringLiteral("USD/JPY"));
    QVERIFY(first->isMaximized());

    // A closed view's workspace goes with it.
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(station.app.workspaces.size(), std::size_t(1));
    QCOMPARE(station.app.workspaces.front().get(), second);
}

void ChartViewTest::repaintOfTheLatestBarsKeepsEarlierPointsOutOfRange() {
    Workstation station;
    ChartWorkspace& workspace = *activeWorkspace();
    QVERIFY(openPriceFile(workspace, "USD/JPY", station.writeFile("p.txt", risingPrices(100))));
    auto* chart = dynamic_cast<CChartFX*>(workspace.priceChart);
    workspace.barsShown = 50;
    chart->openData(varkel::dataValues, 0, 5);
    varkel::ChartPainter(workspace, varkel::StudyKind::MovingAverages, true).paint();
    chart->closeData(varkel::dataValues);

    QCOMPARE(chart->pointLabel(0), QStringLiteral("20000051"));
    QCOMPARE(chart->pointLabel(48), QStringLiteral("20000099"));
    QCOMPARE(chart->value(0, 0), 151.0);  // low of bar 51
    QCOMPARE(chart->plotRange().xMax, 49.0);
    QCOMPARE(chart->pointCount(), 101);  // points 49 ... 100 keep the Open's values
    QCOMPARE(chart->pointLabel(60), QStringLiteral("20000060"));
    QCOMPARE(workspace.minLow, 151.0);
}

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
