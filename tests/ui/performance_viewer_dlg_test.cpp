#include "trade_model_station.h"

#include "app/chart_fx.h"
#include "app/main_frame.h"
#include "report/ui/performance_viewer_dlg.h"

#include <QLabel>
#include <QMdiArea>
#include <QPushButton>

#include <algorithm>

using namespace varkel;

namespace {

// Kind 13 (Keltner), EMA 20, ATR 10, multiplier 1.5, no 2nd or 3rd index, then
// Kelly, Sharpe, rates, counts and profits, the last line without a line end.
const QByteArray keltnerModel = "13\n20\n10\n-1\n  1.500000\n-999\n-1\n-1\n-999.000000\n-999\n-1\n-1\n-999.000000\n"
                                "  0.250000\n  0.123000\n  0.543860\n  0.456140\n31\n26\n57\n 12.340000\n"
                                " 40.000000\n-27.660000";

QString textOf(const CPerformanceViewerDlg& dialog, int id) {
    return dialog.readOut(id)->text();
}

}  // namespace

class PerformanceViewerDlgTest : public QObject {
    Q_OBJECT
private slots:
    void keltnerModelShowsItsStudiesAndFigures();
    void sharpeTransitionPlotsEveryRealBar();
    void missingModelReadsNotAvailableAndDrawsNothing();
    void withoutAnyViewEveryTextIsEmpty();
};

void PerformanceViewerDlgTest::keltnerModelShowsItsStudiesAndFigures() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    station.writeStartFile("USD_JPY.pfm", keltnerModel);

    CPerformanceViewerDlg dialog(nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("147"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Performance Viewer"));
    const QMap<int, QString> expected = {
        {1030, "USD/JPY"},          {1031, "  0.543860"},  {1029, "  0.123000"},    {1032, "  0.250000"},
        {1035, " 40.000000"},       {1036, "-27.660000"},  {1037, " 12.340000"},    {1033, "57"},
        {1034, "31"},               {1021, "KELTNER CHANNELS"},                     {1038, "EMA = 20"},
        {1039, "ATR = 10"},         {1040, ""},            {1041, "MULTIPLIER = 1.5000"},
        {1022, "N/A"},              {1042, ""},            {1043, ""},              {1044, ""},
        {1023, "N/A"},              {1045, ""},            {1046, ""},              {1047, ""}};
    QCOMPARE(expected.size(), 22);
    for (auto it = expected.begin(); it != expected.end(); ++it) QCOMPARE(textOf(dialog, it.key()), it.value());
    QCOMPARE(dialog.findChild<QPushButton*>("1")->text(), QStringLiteral("EXIT"));
}

void PerformanceViewerDlgTest::sharpeTransitionPlotsEveryRealBar() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    station.writeStartFile("USD_JPY.pfm", keltnerModel);

    CPerformanceViewerDlg dialog(nullptr);
    auto* chart = dialog.findChild<CChartFX*>("1055");
    QCOMPARE(chart->title(), QStringLiteral("Sharpe Ratio Transition"));
    QCOMPARE(chart->pointCount(), 0);
    dialog.findChild<QPushButton*>("1057")->click();

    const auto& bars = station.product().bars;
    const int history = int(bars.size()) - 1;
    QCOMPARE(chart->pointCount(), history);
    double lowest = 0.0, highest = 0.0;
    for (int i = 0; i < history; ++i) {
        const double ratio = bars[std::size_t(i)].rolling20Ratio;
        QCOMPARE(chart->value(0, i), ratio);
        lowest = std::min(lowest, ratio);
        highest = std::max(highest, ratio);
    }
    // The ratio needs 20 days of P&L: the first 20 bars sit at 0.
    for (int i = 0; i < 20; ++i) QCOMPARE(chart->value(0, i), 0.0);
    QVERIFY(highest > lowest);
    // The model's Keltner bands are in the bars, so the ratios are the model's.
    QCOMPARE(bars[100].emaPeriod, 20);
    QCOMPARE(bars[100].atrPeriod, 10);
    const CChartFX::PlotRange range = chart->plotRange();
    QCOMPARE(range.xMin, 0.0);
    QCOMPARE(range.xMax, double(history));
    QCOMPARE(range.yMin, lowest - 3.0);
    QCOMPARE(range.yMax, highest + 3.0);
    QCOMPARE(station.messages, QStringList());
}

void PerformanceViewerDlgTest::missingModelReadsNotAvailableAndDrawsNothing() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    const std::vector<Bar> before = station.product().bars;
    CPerformanceViewerDlg dialog(nullptr);
    QCOMPARE(textOf(dialog, 1030), QStringLiteral("USD/JPY"));
    for (const int name : {1021, 1022, 1023}) QCOMPARE(textOf(dialog, name), QStringLiteral("N/A"));
    for (const int line : {1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047})
        QCOMPARE(textOf(dialog, line), QString());
    QCOMPARE(textOf(dialog, 1033), QStringLiteral("0"));

    dialog.findChild<QPushButton*>("1057")->click();
    QCOMPARE(dialog.findChild<CChartFX*>("1055")->pointCount(), 0);
    QCOMPARE(station.product().bars.back().position, before.back().position);
    QVERIFY(!QFile::exists(station.startFile("USD_JPY.pfm")));
}

void PerformanceViewerDlgTest::withoutAnyViewEveryTextIsEmpty() {
    TradeModelStation station;
    station.frame()->mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(activeWorkspace() == nullptr);
    CPerformanceViewerDlg dialog(nullptr);
    int readOuts = 0;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        bool isId = false;
        label->objectName().toInt(&isId);
        if (!isId) continue;
        ++readOuts;
        QCOMPARE(label->text(), QString());
    }
    QCOMPARE(readOuts, 22);
    dialog.findChild<QPushButton*>("1057")->click();
    QCOMPARE(dialog.findChild<CChartFX*>("1055")->pointCount(), 0);
}

QTEST_MAIN(PerformanceViewerDlgTest)
#include "performance_viewer_dlg_test.moc"
