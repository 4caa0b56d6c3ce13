#include "ui_test_support.h"

#include "app/chart_view.h"
#include "app/open_flow.h"
#include "chart/chart_painter.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/tab_strip.h"

#include <QImage>
#include <qcustomplot.h>
#include <QMouseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

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
    void oneVerticalLineFollowsTheMouseOverThePlotArea();
    void zoomAndPanStopAtTheBars();
    void cascadeKeepsViewsAtAUsableSize();
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

// One line, over the plot area of the chart under the mouse only: it moves
// with the mouse, leaves no trail, and goes when the mouse leaves the plot.
void ChartViewTest::oneVerticalLineFollowsTheMouseOverThePlotArea() {
    Workstation station;
    StandaloneView standalone(QSize(800, 600));
    CVarkelModel2cView& view = standalone.view;
    QVERIFY(openPriceFile(standalone.workspace(), "USD/JPY", station.writeFile("p.txt", risingPrices(10))));
    auto* chart = dynamic_cast<CChartFX*>(standalone.workspace().priceChart);
    QWidget* plot = chart->findChild<QWidget*>();
    const QRect area(chart->mapTo(&view, chart->plotArea().topLeft()), chart->plotArea().size());
    QVERIFY(area.width() > 100 && area.top() > 0);
    const auto moveInView = [&](QPoint inView) { moveMouse(plot, plot->mapFrom(&view, inView)); };
    moveInView(area.center());
    QCOMPARE(view.verticalLineCount(), 0);  // the mode is off

    station.app.verticalLineMode = true;
    moveMouse(view.studyTab, QPoint(250, 50));  // no chart there
    QCOMPARE(view.verticalLineCount(), 0);
    const int first = area.left() + 40, second = area.left() + 120;
    moveInView(QPoint(first, area.center().y()));
    moveInView(QPoint(second, area.center().y()));
    QCOMPARE(view.verticalLineCount(), 1);
    const QImage picture = view.grab().toImage();
    const QColor blue(Qt::blue);
    QCOMPARE(picture.pixelColor(second, area.top()), blue);
    QCOMPARE(picture.pixelColor(second, area.bottom()), blue);
    QVERIFY(picture.pixelColor(second, area.top() - 2) != blue);  // not over the tab bar
    QVERIFY(picture.pixelColor(second, area.bottom() + 2) != blue);
    QVERIFY(picture.pixelColor(second + 1, area.center().y()) != blue);  // one pixel wide
    QVERIFY(picture.pixelColor(first, area.center().y()) != blue);  // no trail

    moveInView(QPoint(area.left() - 3, area.center().y()));  // over the axis labels
    QCOMPARE(view.verticalLineCount(), 0);
    moveInView(area.center());
    view.resize(700, 600);
    QCOMPARE(view.verticalLineCount(), 0);
}

// Window > Cascade keeps every view big enough to work in, one title bar
// below and right of the one before.
void ChartViewTest::cascadeKeepsViewsAtAUsableSize() {
    Workstation station;
    CMainFrame* frame = station.frame();
    frame->newDocument();
    frame->newDocument();
    QMenu* windowMenu = frame->findChild<QMenu*>("windowMenu");
    emit windowMenu->aboutToShow();
    QAction* cascade = nullptr;
    for (QAction* action : windowMenu->actions())
        if (action->text() == "&Cascade") cascade = action;
    QVERIFY(cascade != nullptr);
    cascade->trigger();
    const QSize area = frame->mdiArea()->viewport()->size();
    const QList<QMdiSubWindow*> windows = frame->mdiArea()->subWindowList();
    QCOMPARE(windows.size(), 3);
    for (int i = 0; i < windows.size(); ++i) {
        QVERIFY(!windows[i]->isMaximized());
        QVERIFY2(windows[i]->width() >= area.width() * 3 / 4 && windows[i]->height() >= area.height() * 3 / 4,
                 qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(windows[i]->width()).arg(windows[i]->height())
                                .arg(area.width()).arg(area.height())));
        if (i > 0) QVERIFY(windows[i]->y() > windows[i - 1]->y() && windows[i]->x() > windows[i - 1]->x());
    }
}

// Zoom and pan stop at the first and last bar.
void ChartViewTest::zoomAndPanStopAtTheBars() {
    Workstation station;
    StandaloneView standalone(QSize(800, 600));
    QVERIFY(openPriceFile(standalone.workspace(), "USD/JPY", station.writeFile("p.txt", risingPrices(40))));
    auto* chart = dynamic_cast<CChartFX*>(standalone.workspace().priceChart);
    auto* plot = chart->findChild<QCustomPlot*>();
    const CChartFX::PlotRange bars = chart->plotRange();
    struct Case {
        double lower, upper;  // what the user zoomed or panned to
        double shownLower, shownUpper;
    };
    const Case cases[] = {
        {10.0, bars.xMax + 5.0, 4.5, bars.xMax - 0.5},      // past the last point: pushed back
        {-20.0, 5.0, -0.5, 24.5},                            // before the first
        {-100.0, 200.0, bars.xMin - 0.5, bars.xMax - 0.5},   // wider than the chart
        {5.0, 15.0, 5.0, 15.0},                              // inside: as asked
    };
    for (const Case& c : cases) {
        plot->xAxis->setRange(c.lower, c.upper);
        QCOMPARE(chart->shownXRange(), std::make_pair(c.shownLower, c.shownUpper));
    }
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
