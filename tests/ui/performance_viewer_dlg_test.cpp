#include "trade_model_station.h"

#include "app/main_frame.h"
#include "windows/report/performance_viewer_dlg.h"
#include "workbench/chart_fx.h"

#include <QLabel>
#include <QMdiArea>
#include <QPushButton>

#include <algorithm>

#include <algorithm>

using namespace varkel;

namespace {

// Keltner base (EMA 20, ATR 10, multiplier 1.5) and no 2nd or 3rd index, then
// Kelly, Sharpe, rates, counts and profits, the last line without a line end.
const QByteArray keltnerModel = "13\n20\n10\n-1\n  1.500000\n-999\n-1\n-1\n-999.000000\n-999\n-1\n-1\n-999.000000\n"
                                "  0.250000\n  0.123000\n  0.543860\n  0.456140\n31\n26\n57\n 12.340000\n"
                                " 40.000000\n-27.660000";

void pressShow(const QDialog& dialog) {
    dialog.findChild<QPushButton*>("1057")->click();
}

int chartPoints(const QDialog& dialog) {
    return dialog.findChild<CChartFX*>("1055")->pointCount();
}

}  // namespace

class PerformanceViewerDlgTest : public QObject {
    Q_OBJECT
private slots:
    void keltnerModelShowsItsTextsAndSharpeTransition();
    void missingModelOrViewShowsNothingToDraw();
};

void PerformanceViewerDlgTest::keltnerModelShowsItsTextsAndSharpeTransition() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    station.writeStartFile("USD_JPY.pfm", keltnerModel);
    CPerformanceViewerDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    QCOMPARE(dialog.readOut(1030)->text() + dialog.readOut(1021)->text(), QString());  // made, not yet read
    dialog.showSavedModel();
    const QMap<int, QString> expected = {
        {1030, "USD/JPY"},    {1031, "  0.543860"}, {1029, "  0.123000"}, {1032, "  0.250000"},
        {1035, " 40.000000"}, {1036, "-27.660000"}, {1037, " 12.340000"}, {1033, "57"},
        {1034, "31"},         {1021, "KELTNER CHANNELS"},                 {1038, "EMA = 20"},
        {1039, "ATR = 10"},   {1040, ""},           {1041, "MULTIPLIER = 1.5000"},
        {1022, "N/A"},        {1042, ""},           {1043, ""},           {1044, ""},
        {1023, "N/A"},        {1045, ""},           {1046, ""},           {1047, ""}};
    for (auto it = expected.begin(); it != expected.end(); ++it) QCOMPARE(dialog.readOut(it.key())->text(), it.value());

    pressShow(dialog);
    const auto* chart = dialog.findChild<CChartFX*>("1055");
    const auto& bars = station.product().bars;
    // The model was applied to a copy: the charted studies stay, its positions and ratios come back.
    QCOMPARE(bars[100].emaPeriod, 0);
    QVERIFY(std::any_of(bars.begin(), bars.end(), [](const varkel::Bar& bar) { return bar.position != 0; }));
    const int history = int(bars.size()) - 1;
    QCOMPARE(chart->pointCount(), history);
    double lowest = 0.0, highest = 0.0;
    for (int i = 0; i < history; ++i) {
        const double ratio = bars[std::size_t(i)].rolling20Ratio;
        QCOMPARE(chart->value(0, i), i < 20 ? 0.0 : ratio);  // 20 days of P&L before the first ratio
        lowest = std::min(lowest, ratio), highest = std::max(highest, ratio);
    }
    QVERIFY(highest > lowest);
    const CChartFX::PlotRange range = chart->plotRange();
    QCOMPARE(QList<double>({range.xMin, range.xMax, range.yMin, range.yMax}),
             QList<double>({0.0, double(history), lowest - 3.0, highest + 3.0}));
    QCOMPARE(chart->title(), QStringLiteral("Sharpe Ratio Transition"));
}

void PerformanceViewerDlgTest::missingModelOrViewShowsNothingToDraw() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    CPerformanceViewerDlg noModel(activeWorkspace(), station.app.startDirectory, nullptr);
    QVERIFY(!noModel.showSavedModel());
    QCOMPARE(station.messages, QStringList({"No trade model for USD/JPY: build one first"}));
    for (const int id : {1030, 1021, 1029, 1032, 1038}) QCOMPARE(noModel.readOut(id)->text(), QString());
    pressShow(noModel);
    QCOMPARE(chartPoints(noModel), 0);
    // Performance View says the same and opens nothing.
    int opened = 0;
    station.answerDialog = [&](QDialog&) { return ++opened, int(QDialog::Rejected); };
    station.frame()->dispatch(32786);
    QCOMPARE(opened, 0);
    QCOMPARE(station.messages.size(), 2);

    station.frame()->mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(activeWorkspace() == nullptr);
    CPerformanceViewerDlg noView(activeWorkspace(), station.app.startDirectory, nullptr);
    QVERIFY(!noView.showSavedModel());
    QVERIFY(station.messages.last().startsWith("Open a price file first: "));
    for (const int id : {1030, 1021, 1029, 1033, 1041}) QCOMPARE(noView.readOut(id)->text(), QString());
    pressShow(noView);
    QCOMPARE(chartPoints(noView), 0);
}

QTEST_MAIN(PerformanceViewerDlgTest)
#include "performance_viewer_dlg_test.moc"
