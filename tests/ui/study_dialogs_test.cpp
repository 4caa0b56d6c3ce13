#include "ui_test_support.h"

#include "app/command_ids.h"
#include "app/open_flow.h"
#include "chart/chart_control.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/tab_strip.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <qcustomplot.h>

#include <cmath>
#include <map>

namespace {

double closeOf(int bar) {
    return 100.30 + bar;
}

QString dateOf(int bar) {
    return QString::number(20000000 + bar);
}

// What became of a dialog the test answered.
struct Answered {
    bool closed = false;
    QString title;
    QString objectName;
};

// Types `entries` into the controls with those ids, presses OK and notes
// whether the dialog closed: OK closes a dialog by accepting it.
std::function<int(QDialog&)> enter(std::map<int, QString> entries, Answered* answered = nullptr) {
    return [entries, answered](QDialog& dialog) {
        for (const auto& [id, text] : entries) dialog.findChild<QLineEdit*>(QString::number(id))->setText(text);
        dialog.findChild<QPushButton*>("1")->click();
        const int result = dialog.result();
        if (answered != nullptr) *answered = {result == QDialog::Accepted, dialog.windowTitle(), dialog.objectName()};
        return result;
    };
}

// A workstation with a rising history of `bars` bars opened into its view.
// Its dates (2000<i>) are no days of the calendar: the data-quality report of
// the Open that says so is dropped.
struct OpenedStation : Workstation {
    ChartWorkspace& workspace;
    explicit OpenedStation(int bars) : workspace(*activeWorkspace()) {
        QVERIFY(openPriceFile(workspace, "USD/JPY", writeFile("p.txt", risingPrices(bars))));
        messages.clear();
        details.clear();
    }

    // Runs a command whose dialog gets `entries` and OK.
    Answered run(int command, std::map<int, QString> entries = {}) {
        Answered answered;
        answerDialog = enter(std::move(entries), &answered);
        frame()->dispatch(command);
        return answered;
    }

    CChartFX* studyChart(const char* key) {
        varkel::StudyChart* record = varkel::findStudyChart(key, workspace);
        return record != nullptr ? dynamic_cast<CChartFX*>(record->chart) : nullptr;
    }
    CChartFX* priceChart() { return dynamic_cast<CChartFX*>(workspace.priceChart); }
    QStringList tabTexts() {
        QStringList texts;
        for (int i = 0; i < workspace.studyTab->count(); ++i) texts << workspace.studyTab->tabText(i);
        return texts;
    }
};

QColor lineColour(CChartFX* chart, int series) {
    return chart->findChild<QCustomPlot*>()->graph(series)->pen().color();
}

bool near(double actual, double expected) {
    return std::abs(actual - expected) <= 1e-9 * std::max(1.0, std::abs(expected));
}

#define QVERIFY_NEAR(actual, expected)                                                                 \
    QVERIFY2(near((actual), (expected)),                                                             \
             qPrintable(QStringLiteral("%1 is not %2").arg((actual), 0, 'g', 17).arg((expected), 0, 'g', 17)))

const QColor green(0, 255, 0);
const QColor blue(0, 0, 255);

}  // namespace

class StudyDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void dialogsShowTheirDefaultsEveryTime();
    void rsiRunTwiceKeepsOneTabAndTakesTheNewTitle();
    void macdAndStochasticsDrawTwoColouredLines();
    void singleLineStudiesDrawTheirValues_data();
    void singleLineStudiesDrawTheirValues();
    void spansTheStudyCannotUseAreRefused();
    void redrawSelectsTheChartsOwnTab();
    void movingAverageSpansMustRiseAboveTwo();
    void keltnerBandsReplaceTheAverages();
    void tickShowsTheLatestBarsInEveryChart();
    void tickOnAShortHistoryOnlyResizes();
    void withoutAProductEveryDialogClosesSilently();
    void tickBelowTwoIsRefused();
    void noStaleDatesAfterTickAndZoom();
    void everyDialogRefusesSpansLongerThanTheHistory();
    void theEntryToTypeIsSelected();
    void chartsOfAViewZoomAndPanTogether();
};

void StudyDialogsTest::dialogsShowTheirDefaultsEveryTime() {
    struct Expected {
        int command;
        const char* dialog;
        const char* title;
        std::vector<std::tuple<int, const char*, const char*>> entries;  // id, label, default
    };
    const Expected expected[] = {
        {cmd::movingAverageMenu, "156", "Moving Average Calc", {{1051, "MA Span 1", "20"}, {1052, "MA Span 2", "40"}}},
        {cmd::keltnerMenu, "157", "Calc Keltner Channels",
         {{1052, "EMA Span", "10"}, {1053, "ATR Span", "10"}, {1054, "Multiplier", "1.5"}}},
        {cmd::macdMenu, "139", "Calc MACD", {{1007, "MA 1", "9"}, {1008, "MA 2", "14"}, {1009, "MACD Signal", "9"}}},
        {cmd::rsiMenu, "140", "Calc RSI", {{1008, "RSI Span", "14"}}},
        {cmd::correlationMenu, "141", "Time Series Correlation", {{1009, "Time Series Correlation Span", "14"}}},
        {cmd::rateOfChangeMenu, "146", "Calc Range Of Rate", {{1020, "Rate Of Change Span", "3"}}},
        {cmd::regressionMenu, "142", "Linear Regression Calc", {{1010, "Linear Regression Span", "9"}}},
        {cmd::normalDistMenu, "143", "Calc Normal Distribution", {{1011, "Normal Distribution Span", "9"}}},
        {cmd::stochasticsMenu, "153", "Stochastics Span",
         {{1050, "%K line SPAN", "3"}, {1051, "%D line SPAN", "3"}, {1052, "Slow %D line SPAN", "5"}}},
        {cmd::tickMenu, "138", "Specifying number of tick", {{1006, "Number of Tick", "300"}}},
    };
    OpenedStation station(60);
    for (const Expected& each : expected) {
        // The second opening follows a run with other values and must show the defaults again.
        for (int opening = 0; opening < 2; ++opening) {
            QDialog* shown = nullptr;
            QString dialogName, title;
            std::map<int, std::pair<QString, QString>> entries;  // id: label, text
            qsizetype editCount = 0;
            station.answerDialog = [&](QDialog& dialog) {
                dialogName = dialog.objectName();
                title = dialog.windowTitle();
                editCount = dialog.findChildren<QLineEdit*>().size();
                auto* form = dialog.findChild<QFormLayout*>();
                for (auto* edit : dialog.findChildren<QLineEdit*>()) {
                    auto* label = qobject_cast<QLabel*>(form->labelForField(edit));
                    entries[edit->objectName().toInt()] = {label != nullptr ? label->text() : QString(), edit->text()};
                }
                shown = &dialog;
                return int(QDialog::Rejected);
            };
            station.frame()->dispatch(each.command);
            QVERIFY2(shown != nullptr, each.title);
            QCOMPARE(dialogName, QString::fromLatin1(each.dialog));
            QCOMPARE(title, QString::fromLatin1(each.title));
            QCOMPARE(editCount, qsizetype(each.entries.size()));
            for (const auto& [id, label, value] : each.entries) {
                QVERIFY2(entries.count(id) == 1, each.title);
                QCOMPARE(entries[id].first, QString::fromLatin1(label));
                QCOMPARE(entries[id].second, QString::fromLatin1(value));
            }
            std::map<int, QString> changed;
            for (const auto& entry : each.entries) changed[std::get<0>(entry)] = "7";
            if (each.command == cmd::movingAverageMenu) changed[1052] = "8";
            QVERIFY2(station.run(each.command, changed).closed, each.title);
        }
    }
    QVERIFY(station.messages.isEmpty());
}

void StudyDialogsTest::rsiRunTwiceKeepsOneTabAndTakesTheNewTitle() {
    OpenedStation station(100);
    QVERIFY(station.run(cmd::rsiMenu, {{1008, "14"}}).closed);
    QVERIFY(station.run(cmd::rsiButton, {{1008, "9"}}).closed);

    QCOMPARE(station.tabTexts(), QStringList({"RSI"}));
    QCOMPARE(station.workspace.studyChartCount, 1);
    QCOMPARE(station.workspace.studyCharts.size(), std::size_t(1));
    CChartFX* rsi = station.studyChart("RSI");
    QCOMPARE(rsi->title(), QStringLiteral("RSI (9)"));
    // Every change of a rising close is a rise: no value while warming up, then 1.
    QCOMPARE(rsi->value(0, 8), varkel::hiddenValue);
    QCOMPARE(rsi->value(0, 9), 1.0);  // hidden after the run with span 14
    QCOMPARE(rsi->value(0, 99), 1.0);
    QCOMPARE(rsi->value(1, 50), varkel::hiddenValue);
    QCOMPARE(rsi->pointLabel(99), dateOf(99));
    QCOMPARE(rsi->plotRange().xMax, 100.0);
    QCOMPARE(rsi->plotRange().yMin, -0.5);
    QCOMPARE(rsi->plotRange().yMax, 1.5);
    QCOMPARE(lineColour(rsi, 0), blue);
    QVERIFY(rsi->isVisible());
    QCOMPARE(rsi->geometry(),
             QRect(0, 0, station.workspace.studyTab->width(), station.workspace.studyTab->height() - 25));
}

void StudyDialogsTest::macdAndStochasticsDrawTwoColouredLines() {
    OpenedStation station(100);
    station.run(cmd::macdMenu, {{1007, "9"}, {1008, "14"}, {1009, "9"}});
    station.run(cmd::stochasticsMenu, {{1050, "3"}, {1051, "3"}, {1052, "5"}});
    QCOMPARE(station.tabTexts(), QStringList({"MACD", "STOCHASTICS"}));

    // On closes rising by 1 a day the 9-day average lies (14 - 9) / 2 above the 14-day one.
    CChartFX* macd = station.studyChart("MACD");
    QCOMPARE(macd->title(), QStringLiteral("MACD (9, 14, 9)"));
    QCOMPARE(macd->value(0, 13), varkel::hiddenValue);
    QVERIFY_NEAR(macd->value(0, 14), 2.5);
    QCOMPARE(macd->value(1, 21), varkel::hiddenValue);
    QVERIFY_NEAR(macd->value(1, 22), 2.5);
    QVERIFY_NEAR(macd->value(1, 99), 2.5);
    QCOMPARE(lineColour(macd, 0), green);
    QCOMPARE(lineColour(macd, 1), blue);

    // Over three days the range is 2.50 and the close lies 2.30 above the low.
    CChartFX* stochastics = station.studyChart("STOCHASTICS");
    QCOMPARE(stochastics->title(), QStringLiteral("Stochastics (3,3,5)"));
    QCOMPARE(stochastics->value(0, 3), varkel::hiddenValue);
    QVERIFY_NEAR(stochastics->value(0, 4), 2.3 / 2.5);
    QCOMPARE(stochastics->value(1, 7), varkel::hiddenValue);
    QVERIFY_NEAR(stochastics->value(1, 8), 2.3 / 2.5);
    QCOMPARE(lineColour(stochastics, 0), green);
    QCOMPARE(lineColour(stochastics, 1), blue);
    QVERIFY(stochastics->isVisible());
    QVERIFY(!macd->isVisible());
    QCOMPARE(station.workspace.studyTab->currentIndex(), 1);
}

void StudyDialogsTest::singleLineStudiesDrawTheirValues_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("span");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("firstValue");  // the first bar with a value
    QTest::addColumn<double>("valueAt50");
    // Closes 100.30 + i: a straight line with slope 1.
    QTest::newRow("correlation") << int(cmd::correlationMenu) << 1009 << 14 << QString("RCI") << QString("Time Series Correlation")
                                 << QString("Time Series Correlation (14)") << 13 << 1.0;
    QTest::newRow("regression") << int(cmd::regressionMenu) << 1010 << 9 << QString("LREG") << QString("Linear Regression")
                                << QString("Lineart Regression (9)") << 8 << 1.0;
    // The sample variance of nine consecutive whole numbers is 9 * 10 / 12.
    QTest::newRow("normal distribution") << int(cmd::normalDistMenu) << 1011 << 9 << QString("NDIST") << QString("Normal Distribution")
                                         << QString("Normal Distribution (9)") << 8 << 7.5;
    QTest::newRow("rate of change") << int(cmd::rateOfChangeMenu) << 1020 << 3 << QString("ROC") << QString("ROC")
                                    << QString("Rate Of Change (3)") << 3 << 300.0 / closeOf(50);
}

void StudyDialogsTest::singleLineStudiesDrawTheirValues() {
    QFETCH(int, command);
    QFETCH(int, entry);
    QFETCH(int, span);
    QFETCH(QString, key);
    QFETCH(QString, tab);
    QFETCH(QString, title);
    QFETCH(int, firstValue);
    QFETCH(double, valueAt50);
    OpenedStation station(100);
    station.run(command, {{entry, QString::number(span)}});
    QCOMPARE(station.tabTexts(), QStringList({tab}));
    CChartFX* chart = station.studyChart(qPrintable(key));
    QVERIFY(chart != nullptr);
    QCOMPARE(chart->title(), title);
    QCOMPARE(chart->value(0, firstValue - 1), varkel::hiddenValue);
    QVERIFY(chart->value(0, firstValue) != varkel::hiddenValue);
    QVERIFY_NEAR(chart->value(0, 50), valueAt50);
    QCOMPARE(chart->value(1, 50), varkel::hiddenValue);
    QCOMPARE(lineColour(chart, 0), blue);
    QCOMPARE(lineColour(chart, 1), blue);
    QVERIFY(station.messages.isEmpty());
}

void StudyDialogsTest::spansTheStudyCannotUseAreRefused() {
    OpenedStation station(100);
    QVERIFY(station.run(cmd::regressionMenu, {{1010, "9"}}).closed);
    CChartFX* regression = station.studyChart("LREG");

    // Below 1: the message, and the dialog stays open as for every refusal.
    QVERIFY(!station.run(cmd::regressionMenu, {{1010, "0"}}).closed);
    QCOMPARE(station.messages, QStringList({"Supply greater than 0 value for each span"}));
    // 1 or 2: the regression cannot use it; the dialog stays open.
    station.messages.clear();
    QVERIFY(!station.run(cmd::regressionMenu, {{1010, "2"}}).closed);
    QCOMPARE(station.messages, QStringList({"Supply 3 or a greater value for each span"}));
    QCOMPARE(regression->title(), QStringLiteral("Lineart Regression (9)"));
    QCOMPARE(regression->value(0, 7), varkel::hiddenValue);  // still the span-9 warm-up

    // The rate of change takes a span of 1: each day's change over its close.
    station.messages.clear();
    QVERIFY(station.run(cmd::rateOfChangeMenu, {{1020, "1"}}).closed);
    QCOMPARE(station.studyChart("ROC")->title(), QStringLiteral("Rate Of Change (1)"));
    QVERIFY_NEAR(station.studyChart("ROC")->value(0, 1), 100.0 / closeOf(1));

    // Any one of three spans refuses the run.
    QVERIFY(!station.run(cmd::stochasticsMenu, {{1050, "5"}, {1051, "2"}, {1052, "5"}}).closed);
    QVERIFY(!station.run(cmd::macdMenu, {{1007, "9"}, {1008, "14"}, {1009, ""}}).closed);
    // Spans longer than the history would leave the bars untouched as well.
    QVERIFY(!station.run(cmd::rsiMenu, {{1008, "101"}}).closed);
    QVERIFY(!station.run(cmd::normalDistMenu, {{1011, "100"}}).closed);
    QCOMPARE(station.messages, QStringList({"Supply 3 or a greater value for each span", "Please enter an integer.",
                                            "The history has 100 bars: supply 100 or a smaller value for each span",
                                            "The history has 100 bars: supply 99 or a smaller value for each span"}));
    QCOMPARE(station.tabTexts(), QStringList({"Linear Regression", "ROC"}));
    // The longest spans that fit are run: nothing but warm-up.
    QVERIFY(station.run(cmd::rsiMenu, {{1008, "100"}}).closed);
    QCOMPARE(station.studyChart("RSI")->value(0, 99), varkel::hiddenValue);
    QVERIFY(station.run(cmd::normalDistMenu, {{1011, "99"}}).closed);
    QVERIFY_NEAR(station.studyChart("NDIST")->value(0, 99), 99.0 * 100.0 / 12.0);
}

void StudyDialogsTest::redrawSelectsTheChartsOwnTab() {
    OpenedStation station(60);
    station.run(cmd::rsiMenu);
    station.run(cmd::macdMenu);
    station.run(cmd::rsiMenu, {{1008, "10"}});
    QCOMPARE(station.tabTexts(), QStringList({"RSI", "MACD"}));
    QCOMPARE(station.workspace.studyTab->currentIndex(), 0);
    QVERIFY(station.studyChart("RSI")->isVisible());
    QVERIFY(!station.studyChart("MACD")->isVisible());
    QCOMPARE(station.studyChart("RSI")->title(), QStringLiteral("RSI (10)"));
}

void StudyDialogsTest::movingAverageSpansMustRiseAboveTwo() {
    OpenedStation station(100);
    CChartFX* price = station.priceChart();
    station.workspace.priceOverlay = 1;
    QVERIFY(!station.run(cmd::movingAverageMenu, {{1051, "2"}, {1052, "40"}}).closed);
    QVERIFY(!station.run(cmd::movingAverageMenu, {{1051, "40"}, {1052, "20"}}).closed);
    QVERIFY(!station.run(cmd::movingAverageMenu, {{1051, "5"}, {1052, "5"}}).closed);
    QCOMPARE(station.messages.size(), 3);
    QCOMPARE(station.messages.first(),
             QStringLiteral("Please specify greater than 2 and span 2 must be greater than span 1"));
    QCOMPARE(station.workspace.priceOverlay, 1);

    QVERIFY(station.run(cmd::movingAverageMenu, {{1051, "3"}, {1052, "4"}}).closed);
    QCOMPARE(price->title(), QStringLiteral("Moving Avr (3,4)"));
    QCOMPARE(station.workspace.priceOverlay, 0);
    // The mean of the closes of bars 0 ... 2 and of 0 ... 3, hidden until the window is full.
    QCOMPARE(price->value(4, 1), varkel::hiddenValue);
    QVERIFY_NEAR(price->value(4, 2), closeOf(1));
    QCOMPARE(price->value(5, 2), varkel::hiddenValue);
    QVERIFY_NEAR(price->value(5, 3), closeOf(0) + 1.5);

    // The read-out names each average by its span, prices with two decimals.
    QCOMPARE(price->describePoint(3), dateOf(3) + "    O 103.20  H 103.50  L 103.00  C 103.30    MA 3 102.30    MA 4 101.80");
    QVERIFY(station.run(cmd::movingAverageButton, {{1051, "20"}, {1052, "40"}}).closed);
    QCOMPARE(price->title(), QStringLiteral("Moving Avr (20,40)"));
    QVERIFY_NEAR(price->value(4, 19), closeOf(0) + 9.5);
    QCOMPARE(price->value(4, 18), varkel::hiddenValue);
    QVERIFY_NEAR(price->value(5, 99), closeOf(99) - 19.5);
    QCOMPARE(station.messages.size(), 3);
}

void StudyDialogsTest::keltnerBandsReplaceTheAverages() {
    OpenedStation station(100);
    CChartFX* price = station.priceChart();
    QVERIFY(station.run(cmd::keltnerMenu).closed);
    QCOMPARE(price->title(), QStringLiteral("Keltner Channel (10,10,1.5000)"));
    QCOMPARE(station.workspace.priceOverlay, 1);
    // On these closes the 10-day EMA runs 4.5 below the close and every true
    // range is 1.20 (yesterday's close to today's high), so the bands lie 1.8
    // either side of the EMA from bar 12 on.
    QCOMPARE(price->value(4, 11), varkel::hiddenValue);
    QVERIFY_NEAR(price->value(4, 12), closeOf(12) - 2.7);
    QVERIFY_NEAR(price->value(5, 99), closeOf(99) - 6.3);

    // Letters and spans the computation refuses keep the dialog open and the bands as they are.
    QVERIFY(!station.run(cmd::keltnerMenu, {{1054, "abc"}}).closed);
    QVERIFY(!station.run(cmd::keltnerMenu, {{1054, "1.5x"}}).closed);
    QVERIFY(!station.run(cmd::keltnerMenu, {{1052, "2"}}).closed);
    QVERIFY(!station.run(cmd::keltnerMenu, {{1053, "0"}}).closed);
    QCOMPARE(station.messages,
             QStringList({"Supply a number as the multiplier", "Supply a number as the multiplier",
                          "Supply 3 or a greater value for each span", "Supply 3 or a greater value for each span"}));
    QCOMPARE(price->title(), QStringLiteral("Keltner Channel (10,10,1.5000)"));

    // A multiplier lies above 0 and at most 10: bands on the EMA, or beyond any
    // price, tell nothing.
    station.messages.clear();
    for (const char* refused : {" 0 ", "-1", "10.01"})
        QVERIFY(!station.run(cmd::keltnerMenu, {{1054, refused}}).closed);
    QCOMPARE(station.messages, QStringList(3, "Supply a multiplier greater than 0 and at most 10"));
    station.workspace.priceOverlay = 0;
    QVERIFY(station.run(cmd::keltnerButton, {{1052, "5"}, {1053, "3"}, {1054, " 10 "}}).closed);
    QCOMPARE(price->title(), QStringLiteral("Keltner Channel (5,3,10.0000)"));
    QCOMPARE(station.workspace.priceOverlay, 1);
    // The 5-day EMA runs 2.0 below the close and every true range is 1.20.
    QVERIFY_NEAR(price->value(4, 50), closeOf(50) - 2.0 + 12.0);
    QVERIFY_NEAR(price->value(5, 50), closeOf(50) - 2.0 - 12.0);
}

void StudyDialogsTest::tickShowsTheLatestBarsInEveryChart() {
    OpenedStation station(1000);
    station.run(cmd::keltnerMenu);
    station.run(cmd::rsiMenu);
    station.run(cmd::macdMenu);
    CChartFX* price = station.priceChart();
    price->moveWindow(0, 0, 10, 10);

    QVERIFY(station.run(cmd::tickMenu, {{1006, "300"}}).closed);
    QCOMPARE(station.workspace.barsTotal, 1001);
    QCOMPARE(station.workspace.barsShown, 300);
    // Bars 701 ... 999: 299 points in every chart.
    for (CChartFX* chart : {price, station.studyChart("RSI"), station.studyChart("MACD")}) {
        QCOMPARE(chart->pointLabel(0), dateOf(701));
        QCOMPARE(chart->pointLabel(298), dateOf(999));
        QCOMPARE(chart->plotRange().xMax, 299.0);
    }
    QVERIFY_NEAR(price->value(2, 0), closeOf(701));
    QVERIFY_NEAR(price->value(4, 298), closeOf(999) - 2.7);  // still the Keltner bands
    QCOMPARE(station.studyChart("RSI")->value(0, 0), 1.0);
    QVERIFY_NEAR(station.studyChart("MACD")->value(0, 0), 2.5);
    QCOMPARE(station.studyChart("RSI")->title(), QStringLiteral("RSI (14)"));
    QCOMPARE(price->geometry(), QRect(0, 25, station.workspace.productTab->width(),
                                      station.workspace.productTab->height() - 25));

    // A count that covers the history shows all of it again.
    QVERIFY(station.run(cmd::zoomButton, {{1006, "9999"}}).closed);
    QCOMPARE(station.workspace.barsShown, 1001);
    for (CChartFX* chart : {price, station.studyChart("RSI"), station.studyChart("MACD")}) {
        QCOMPARE(chart->pointLabel(0), dateOf(0));
        QCOMPARE(chart->plotRange().xMax, 1000.0);
    }
}

void StudyDialogsTest::tickOnAShortHistoryOnlyResizes() {
    OpenedStation station(250);
    CChartFX* price = station.priceChart();
    const double openedRange = price->plotRange().xMax;
    price->moveWindow(0, 0, 10, 10);
    QVERIFY(!station.run(cmd::tickMenu, {{1006, ""}}).closed);
    QCOMPARE(station.messages, QStringList({"Please enter an integer."}));
    QCOMPARE(price->geometry(), QRect(0, 0, 10, 10));

    QVERIFY(station.run(cmd::tickMenu, {{1006, "300"}}).closed);
    QCOMPARE(station.workspace.barsShown, 251);
    QCOMPARE(price->plotRange().xMax, openedRange);  // not repainted
    QCOMPARE(price->geometry(), QRect(0, 25, station.workspace.productTab->width(),
                                      station.workspace.productTab->height() - 25));
}

void StudyDialogsTest::withoutAProductEveryDialogClosesSilently() {
    Workstation station;
    for (int command : {cmd::movingAverageMenu, cmd::keltnerMenu, cmd::macdMenu, cmd::rsiMenu, cmd::correlationMenu,
                        cmd::rateOfChangeMenu, cmd::regressionMenu, cmd::normalDistMenu, cmd::stochasticsMenu}) {
        Answered answered;
        station.answerDialog = enter({}, &answered);
        station.frame()->dispatch(command);
        QVERIFY2(answered.closed, qPrintable(answered.title));
    }
    QVERIFY(station.messages.isEmpty());
    ChartWorkspace* workspace = activeWorkspace();
    QVERIFY(workspace->studyCharts.empty());
    QCOMPARE(workspace->studyTab->count(), 0);
    QVERIFY(workspace->priceChart == nullptr);
}

// Tick 0 blanked every chart with a y axis of 2e6..8e6.
void StudyDialogsTest::tickBelowTwoIsRefused() {
    OpenedStation station(100);
    station.run(cmd::rsiMenu);
    const CChartFX::PlotRange opened = station.priceChart()->plotRange();
    for (const char* ticks : {"0", "1"}) {
        QVERIFY(!station.run(cmd::tickMenu, {{1006, ticks}}).closed);
        QCOMPARE(station.workspace.barsShown, 101);
    }
    QCOMPARE(station.messages, QStringList(2, "Supply 2 or a greater number of ticks"));
    QCOMPARE(station.priceChart()->plotRange().yMax, opened.yMax);
    QCOMPARE(station.priceChart()->plotRange().xMax, opened.xMax);
    QVERIFY(station.run(cmd::tickMenu, {{1006, "2"}}).closed);
    QCOMPARE(station.workspace.barsShown, 2);
}

// Tick 300, then the wheel zooms out: the axis beyond the shown bars must not
// read the dates the full-history paint left there.
void StudyDialogsTest::noStaleDatesAfterTickAndZoom() {
    OpenedStation station(1000);
    station.run(cmd::macdMenu);
    QVERIFY(station.run(cmd::tickMenu, {{1006, "300"}}).closed);
    QStringList shown;  // the dates of bars 701 ... 999
    for (int bar = 701; bar <= 999; ++bar) shown << dateOf(bar);
    for (CChartFX* chart : {station.priceChart(), station.studyChart("MACD")}) {
        chart->resize(700, 300);
        auto* plot = chart->findChild<QCustomPlot*>();
        plot->xAxis->setRange(-50, 1050);  // as the wheel zooms out
        plot->replot();
        int labelled = 0;
        for (const QString& label : plot->xAxis->tickVectorLabels()) {
            QVERIFY2(label.isEmpty() || shown.contains(label), qPrintable(label));
            labelled += label.isEmpty() ? 0 : 1;
        }
        QVERIFY(labelled > 0);
    }
}

void StudyDialogsTest::everyDialogRefusesSpansLongerThanTheHistory() {
    OpenedStation station(100);
    const QString tooLong = QStringLiteral("The history has 100 bars: supply 100 or a smaller value for each span");
    struct Case {
        int command;
        std::map<int, QString> entries;
        QString selected;  // the entry left selected for correction
    };
    const Case cases[] = {
        {cmd::movingAverageMenu, {{1051, "20"}, {1052, "5000"}}, "1052"},
        {cmd::movingAverageMenu, {{1051, "20"}, {1052, "999999999"}}, "1052"},
        {cmd::keltnerMenu, {{1052, "101"}}, "1052"},
        {cmd::rateOfChangeMenu, {{1020, "101"}}, "1020"},
        {cmd::stochasticsMenu, {{1050, "3"}, {1051, "3"}, {1052, "500"}}, "1052"},
    };
    for (const Case& c : cases) {
        station.messages.clear();
        QString focused;
        station.answerDialog = [&](QDialog& dialog) {
            for (const auto& [id, text] : c.entries) dialog.findChild<QLineEdit*>(QString::number(id))->setText(text);
            dialog.findChild<QPushButton*>("1")->click();
            auto* entry = qobject_cast<QLineEdit*>(dialog.focusWidget());
            if (entry != nullptr && entry->selectedText() == entry->text()) focused = entry->objectName();
            return dialog.result();
        };
        station.frame()->dispatch(c.command);
        QCOMPARE(station.messages, QStringList({tooLong}));
        QCOMPARE(focused, c.selected);
    }
    QCOMPARE(station.priceChart()->title(), QStringLiteral("Moving Avr (20,40)"));
    QCOMPARE(station.tabTexts(), QStringList());
}

void StudyDialogsTest::theEntryToTypeIsSelected() {
    OpenedStation station(100);
    QStringList seen;
    station.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        auto* first = qobject_cast<QLineEdit*>(dialog.focusWidget());
        seen << (first != nullptr ? first->objectName() + " " + first->selectedText() : QStringLiteral("none"));
        // A refusal selects the entry to correct: the ATR span here.
        dialog.findChild<QLineEdit*>("1053")->setText("2");
        dialog.findChild<QPushButton*>("1")->click();
        auto* refused = qobject_cast<QLineEdit*>(dialog.focusWidget());
        seen << (refused != nullptr ? refused->objectName() + " " + refused->selectedText() : QStringLiteral("none"));
        return dialog.result();
    };
    station.frame()->dispatch(cmd::keltnerMenu);
    QCOMPARE(seen, QStringList({"1052 10", "1053 2"}));
}

void StudyDialogsTest::chartsOfAViewZoomAndPanTogether() {
    OpenedStation station(300);
    station.run(cmd::rsiMenu);
    station.run(cmd::macdMenu);
    CChartFX* charts[] = {station.priceChart(), station.studyChart("RSI"), station.studyChart("MACD")};
    // The user pans the price chart, then zooms the MACD chart: every chart follows.
    charts[0]->findChild<QCustomPlot*>()->xAxis->setRange(100, 200);
    for (CChartFX* chart : charts) QCOMPARE(chart->shownXRange(), std::make_pair(100.0, 200.0));
    charts[2]->findChild<QCustomPlot*>()->xAxis->setRange(150, 170);
    for (CChartFX* chart : charts) QCOMPARE(chart->shownXRange(), std::make_pair(150.0, 170.0));
    // Each fits its own value axis to the points it shows.
    CChartFX* rsi = station.studyChart("RSI");
    QVERIFY(rsi->findChild<QCustomPlot*>()->yAxis->range().contains(rsi->value(0, 160)));
    QVERIFY(station.priceChart()->findChild<QCustomPlot*>()->yAxis->range().contains(closeOf(160)));
}

QTEST_MAIN(StudyDialogsTest)
#include "study_dialogs_test.moc"
