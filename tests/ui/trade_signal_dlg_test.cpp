#include "trade_model_station.h"

#include "app/chart_fx.h"
#include "model/trade_model_file.h"
#include "report/ui/trade_signal_dlg.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

using namespace varkel;

namespace {

// MACD 12, 26, 9 as base index and nothing else; figures not yet measured.
const QByteArray macdModel = "5\n12\n26\n9\n-999.000000\n-999\n-1\n-1\n-999.000000\n-999\n-1\n-1\n-999.000000\n"
                             "-999.000000\n-999.000000\n  0.000000\n  0.000000\n0\n0\n0\n  0.000000\n  0.000000\n"
                             "  0.000000";

// The signal for the change from the last real day's position to the next day's.
QString signalFor(int last, int next) {
    const QMap<QPair<int, int>, QString> signals_ = {
        {{0, 1}, "Take Long"},  {{1, 1}, "Long Hold"},   {{1, 0}, "Close Long"},  {{1, -1}, "Long 2 Short"},
        {{0, -1}, "Take Short"}, {{-1, -1}, "Short Hold"}, {{-1, 0}, "Close Short"}, {{-1, 1}, "Short 2 Long"}};
    return signals_.value({last, next}, QStringLiteral("No Action"));
}

// Everything a chart shows: its values, labels, range and title.
QStringList snapshot(const CChartFX& chart) {
    QStringList points{chart.title()};
    const CChartFX::PlotRange range = chart.plotRange();
    points << QString::asprintf("%.17g %.17g %.17g %.17g", range.xMin, range.yMin, range.xMax, range.yMax);
    for (int i = 0; i < chart.pointCount(); ++i)
        points << QString::asprintf("%.17g ", chart.value(0, i)) + chart.pointLabel(i);
    return points;
}

}  // namespace

class TradeSignalDlgTest : public QObject {
    Q_OBJECT
private slots:
    void handWrittenModelGivesItsSignalAndFiles();
    void priceSignalDrawsTheSameChartsTwice();
    void noModelMeansEmptyTextsAndNoFiles();
    void strategyFileThatCannotBeWrittenIsReported();
};

void TradeSignalDlgTest::handWrittenModelGivesItsSignalAndFiles() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    station.writeStartFile("USD_JPY.pfm", macdModel);

    CTradeSignalDlg dialog(nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("148"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Trade Signal for the next trading day"));
    QCOMPARE(station.messages, QStringList());

    // One strategy line per bar, the next trading day last with an empty date.
    const QList<QByteArray> lines = station.readStartFile("strategy/USD_JPY.csv").split('\n');
    const auto& bars = station.product().bars;
    QCOMPARE(lines.size(), int(bars.size()) + 1);
    QCOMPARE(lines.last(), QByteArray());
    const QList<QByteArray> lastReal = lines[lines.size() - 3].split(',');
    const QList<QByteArray> nextDay = lines[lines.size() - 2].split(',');
    QCOMPARE(lastReal.size(), 8);
    QCOMPARE(lastReal[0], QByteArray::fromStdString(bars[bars.size() - 2].dateText));
    QCOMPARE(nextDay[0], QByteArray());
    QCOMPARE(nextDay[1], QByteArray("      0.00"));

    QCOMPARE(dialog.signalText(), signalFor(lastReal[5].toInt(), nextDay[5].toInt()));
    QCOMPARE(dialog.netProfitText(), QString::asprintf("%10.6f", bars[bars.size() - 2].cumulativePnl));
    QCOMPARE(dialog.findChild<QLabel*>("1043")->text(), dialog.signalText());
    QCOMPARE(dialog.findChild<QLabel*>("1012")->text(), dialog.netProfitText());
    QCOMPARE(lastReal[7].trimmed(), QString::asprintf("%.4f", bars[bars.size() - 2].cumulativePnl).toLatin1());

    // The model file keeps its indexes and now holds the measured figures.
    TradeModel refreshed;
    QVERIFY(loadTradeModel(refreshed, station.startFile("USD_JPY.pfm").toStdString()));
    QCOMPARE(refreshed.baseKind, StudyKind::Macd);
    QCOMPARE(refreshed.baseParam2, 26);
    QCOMPARE(refreshed.secondKind, StudyKind::NotInUse);
    QVERIFY(refreshed.tradeCount > 0);
    QCOMPARE(refreshed.winCount + refreshed.lossCount, refreshed.tradeCount);
    QVERIFY(qAbs(refreshed.netProfit - bars[bars.size() - 2].cumulativePnl) < 1e-6);
}

void TradeSignalDlgTest::priceSignalDrawsTheSameChartsTwice() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    station.writeStartFile("USD_JPY.pfm", macdModel);
    CTradeSignalDlg dialog(nullptr);
    auto* price = dialog.findChild<CChartFX*>("1044");
    auto* positions = dialog.findChild<CChartFX*>("1045");
    auto* pnl = dialog.findChild<CChartFX*>("1046");
    QCOMPARE(price->pointCount(), 0);  // drawn on request only

    auto* draw = dialog.findChild<QPushButton*>("1");
    QCOMPARE(draw->text(), QStringLiteral("Price / Signal"));
    dialog.show();
    draw->click();
    QVERIFY(dialog.isVisible());  // OK draws and keeps the dialog open
    const QStringList first[] = {snapshot(*price), snapshot(*positions), snapshot(*pnl)};
    draw->click();
    QCOMPARE(snapshot(*price), first[0]);
    QCOMPARE(snapshot(*positions), first[1]);
    QCOMPARE(snapshot(*pnl), first[2]);

    const auto& bars = station.product().bars;
    const int history = int(bars.size()) - 1;
    double lowClose = 1e9, highClose = -1e9, lowPnl = 1e9, highPnl = -1e9;
    for (int i = 0; i < history; ++i) {
        const Bar& bar = bars[std::size_t(i)];
        QCOMPARE(price->value(0, i), bar.close);
        QCOMPARE(positions->value(0, i), double(bar.position));
        QCOMPARE(pnl->value(0, i), bar.cumulativePnl);
        QCOMPARE(pnl->pointLabel(i), QString::fromStdString(bar.dateText));
        lowClose = std::min(lowClose, bar.close), highClose = std::max(highClose, bar.close);
        lowPnl = std::min(lowPnl, bar.cumulativePnl), highPnl = std::max(highPnl, bar.cumulativePnl);
    }
    QCOMPARE(price->pointCount(), history);  // the next trading day is not drawn
    QCOMPARE(price->title(), QStringLiteral("Price Fluctuation"));
    QCOMPARE(positions->title(), QStringLiteral("Position Transition"));
    QCOMPARE(pnl->title(), QStringLiteral("PL Curve"));
    const CChartFX::PlotRange priceRange = price->plotRange(), positionRange = positions->plotRange(),
                              pnlRange = pnl->plotRange();
    QCOMPARE(priceRange.xMax, double(history));
    QCOMPARE(priceRange.yMin, lowClose - 3.0);
    QCOMPARE(priceRange.yMax, highClose + 3.0);
    QCOMPARE(positionRange.yMin, -2.0);
    QCOMPARE(positionRange.yMax, 2.0);
    QCOMPARE(pnlRange.yMin, lowPnl);
    QCOMPARE(pnlRange.yMax, highPnl);
}

void TradeSignalDlgTest::noModelMeansEmptyTextsAndNoFiles() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    CTradeSignalDlg dialog(nullptr);
    QCOMPARE(dialog.signalText(), QString());
    QCOMPARE(dialog.netProfitText(), QString());
    QVERIFY(!QFile::exists(station.startFile("USD_JPY.pfm")));
    QVERIFY(!QFile::exists(station.startFile("strategy")));
    QCOMPARE(station.messages, QStringList());
}

void TradeSignalDlgTest::strategyFileThatCannotBeWrittenIsReported() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    station.writeStartFile("USD_JPY.pfm", macdModel);
    station.writeStartFile("strategy", "a file where the directory should be");
    CTradeSignalDlg dialog(nullptr);
    QVERIFY(!dialog.signalText().isEmpty());
    QCOMPARE(station.messages,
             QStringList({"Could not write the strategy file " + station.startFile("strategy/USD_JPY.csv")}));
}

QTEST_MAIN(TradeSignalDlgTest)
#include "trade_signal_dlg_test.moc"
