#include "trade_model_station.h"

#include "model/trade_model_file.h"
#include "windows/report/trade_signal_dlg.h"
#include "workbench/chart_fx.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
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
    const QMap<QPair<int, int>, QString> texts = {
        {{0, 1}, "Take Long"},   {{1, 1}, "Long Hold"},    {{1, 0}, "Close Long"},   {{1, -1}, "Long 2 Short"},
        {{0, -1}, "Take Short"}, {{-1, -1}, "Short Hold"}, {{-1, 0}, "Close Short"}, {{-1, 1}, "Short 2 Long"}};
    return texts.value({last, next}, QStringLiteral("No Action"));
}

// Everything a chart shows: title, plot range, values and labels.
QStringList snapshot(const CChartFX& chart) {
    const CChartFX::PlotRange range = chart.plotRange();
    QStringList shown{chart.title(),
                      QString::asprintf("%.17g %.17g %.17g %.17g", range.xMin, range.yMin, range.xMax, range.yMax)};
    for (int i = 0; i < chart.pointCount(); ++i) shown << QString::asprintf("%.17g ", chart.value(0, i)) + chart.pointLabel(i);
    return shown;
}

}  // namespace

class TradeSignalDlgTest : public QObject {
    Q_OBJECT
private slots:
    void handWrittenModelGivesSignalFilesAndCharts();
    void missingModelWritesNothingUnwritableFileIsReported();
    void appendedBarIsTheSignalsLastBar();
    void aModelTheHistoryCannotServeIsReported();
    void makingTheDialogComputesAndWritesNothing();
};

void TradeSignalDlgTest::handWrittenModelGivesSignalFilesAndCharts() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    station.writeStartFile("USD_JPY.pfm", macdModel);
    CTradeSignalDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    dialog.runSignal();
    QCOMPARE(station.messages, QStringList());
    // The window names the product and the weekday after the last bar.
    const QString lastDate = QString::fromStdString(station.product().bars[station.product().bars.size() - 2].dateText);
    QDate next = QDate::fromString(lastDate, "yyyyMMdd").addDays(1);
    while (next.dayOfWeek() > 5) next = next.addDays(1);
    QCOMPARE(dialog.findChild<QLabel*>("signalDay")->text(),
             "USD/JPY: the signal for " + next.toString("yyyyMMdd") + ", the trading day after " + lastDate);

    // One strategy line per bar, the next trading day last with an empty date.
    const auto& bars = station.product().bars;
    const std::size_t history = bars.size() - 1;
    const QList<QByteArray> lines = station.readStartFile("strategy/USD_JPY.csv").split('\n');
    QCOMPARE(lines.size(), int(bars.size()) + 1);
    const QList<QByteArray> lastReal = lines[lines.size() - 3].split(',');
    const QList<QByteArray> nextDay = lines[lines.size() - 2].split(',');
    QCOMPARE(lastReal[0], QByteArray::fromStdString(bars[history - 1].dateText));
    QCOMPARE(nextDay.mid(0, 2), QList<QByteArray>({"", "      0.00"}));
    QCOMPARE(dialog.signalText(), signalFor(lastReal[5].toInt(), nextDay[5].toInt()));
    QCOMPARE(dialog.netProfitText(), QString::asprintf("%10.6f", bars[history - 1].cumulativePnl));

    // The model file keeps its indexes and now holds the measured figures.
    TradeModel refreshed;
    QVERIFY(loadTradeModel(refreshed, station.startFile("USD_JPY.pfm").toStdString()));
    QCOMPARE(refreshed.layers[0].p.spans[1], 26);
    QVERIFY(refreshed.tradeCount > 0 && refreshed.winCount + refreshed.lossCount == refreshed.tradeCount);

    // "Price / Signal" draws the real bars and keeps the dialog open; again, the same.
    dialog.show();
    auto* price = dialog.findChild<CChartFX*>("1044");
    auto* positions = dialog.findChild<CChartFX*>("1045");
    auto* pnl = dialog.findChild<CChartFX*>("1046");
    dialog.findChild<QPushButton*>("1")->click();
    QVERIFY(dialog.isVisible());
    const QStringList first[] = {snapshot(*price), snapshot(*positions), snapshot(*pnl)};
    dialog.findChild<QPushButton*>("1")->click();
    QCOMPARE(snapshot(*price), first[0]);
    QCOMPARE(snapshot(*positions), first[1]);
    QCOMPARE(snapshot(*pnl), first[2]);

    double lowClose = 1e9, highClose = -1e9, lowPnl = 1e9, highPnl = -1e9;
    for (std::size_t i = 0; i < history; ++i) {
        const Bar& bar = bars[i];
        QCOMPARE(price->value(0, int(i)), bar.close);
        QCOMPARE(positions->value(0, int(i)), double(bar.position));
        QCOMPARE(pnl->value(0, int(i)), bar.cumulativePnl);
        QCOMPARE(pnl->pointLabel(int(i)), QString::fromStdString(bar.dateText));
        lowClose = std::min(lowClose, bar.close), highClose = std::max(highClose, bar.close);
        lowPnl = std::min(lowPnl, bar.cumulativePnl), highPnl = std::max(highPnl, bar.cumulativePnl);
    }
    QCOMPARE(price->pointCount(), int(history));
    const auto ranges = [](const CChartFX* chart) {
        const CChartFX::PlotRange range = chart->plotRange();
        return QList<double>({range.xMin, range.yMin, range.xMax, range.yMax});
    };
    QCOMPARE(ranges(price), QList<double>({0.0, lowClose - 3.0, double(history), highClose + 3.0}));
    QCOMPARE(ranges(positions), QList<double>({0.0, -2.0, double(history), 2.0}));
    QCOMPARE(ranges(pnl), QList<double>({0.0, lowPnl, double(history), highPnl}));
    QCOMPARE(QStringList({price->title(), positions->title(), pnl->title()}),
             QStringList({"Price Fluctuation", "Position Transition", "PL Curve"}));
}

void TradeSignalDlgTest::missingModelWritesNothingUnwritableFileIsReported() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    CTradeSignalDlg noModel(activeWorkspace(), station.app.startDirectory, nullptr);
    QVERIFY(!noModel.runSignal());
    QCOMPARE(noModel.signalText() + noModel.netProfitText(), QString());
    QVERIFY(!QFile::exists(station.startFile("USD_JPY.pfm")) && !QFile::exists(station.startFile("strategy")));
    QCOMPARE(station.messages, QStringList({"No trade model for USD/JPY: build one first"}));
    // Daily Trade Signal says so and opens no window.
    int opened = 0;
    station.answerDialog = [&](QDialog&) { return ++opened, int(QDialog::Rejected); };
    station.frame()->dispatch(32777);
    QCOMPARE(opened, 0);
    QCOMPARE(station.messages.size(), 2);
    station.messages.clear();

    station.writeStartFile("USD_JPY.pfm", macdModel);
    station.writeStartFile("strategy", "a file where the directory should be");
    CTradeSignalDlg blocked(activeWorkspace(), station.app.startDirectory, nullptr);
    blocked.runSignal();
    QVERIFY(!blocked.signalText().isEmpty());
    QCOMPARE(station.messages.size(), 1);
    QVERIFY2(station.messages[0].startsWith("Could not write the trade model file " + station.startFile("USD_JPY.pfm") +
                                            " or the strategy file " + station.startFile("strategy/USD_JPY.csv") +
                                            ":\n"),
             qPrintable(station.messages[0]));
    QCOMPARE(fileBytes(station.startFile("USD_JPY.pfm")), QByteArray(macdModel));  // neither was written
}

// The daily routine: open the history, append today's bar to the file the
// view shows, run the signal: it is for the day after the new bar.
void TradeSignalDlgTest::appendedBarIsTheSignalsLastBar() {
    TradeModelStation station;
    const QString copy = station.startFile("USD_JPY.txt");
    QVERIFY(QFile::copy(VARKEL_FAULTY_HISTORIES_DIR "/USD_JPY.txt", copy));
    QVERIFY(station.open("USD/JPY", copy));
    station.writeStartFile("USD_JPY.pfm", macdModel);
    station.chooseFile = [copy] { return copy; };
    station.answerDialog = [](QDialog& dialog) {
        const QStringList bar = {"20240716", "15831", "15890", "15800", "15860"};
        for (int i = 0; i < bar.size(); ++i) dialog.findChild<QLineEdit*>(QString::number(1047 + i))->setText(bar[i]);
        dialog.findChild<QPushButton*>("1")->click();
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QString signalDay;
    station.answerDialog = [&](QDialog& dialog) {
        signalDay = dialog.findChild<QLabel*>("signalDay")->text();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(32777);
    QCOMPARE(signalDay, QStringLiteral("USD/JPY: the signal for 20240717, the trading day after 20240716"));
    const QList<QByteArray> lines = station.readStartFile("strategy/USD_JPY.csv").split('\n');
    QCOMPARE(lines[lines.size() - 3].split(',')[0], QByteArray("20240716"));
}

void TradeSignalDlgTest::aModelTheHistoryCannotServeIsReported() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    QByteArray tooLong = macdModel;
    tooLong.replace("\n26\n", "\n2147483647\n");
    station.writeStartFile("USD_JPY.pfm", tooLong);
    CTradeSignalDlg refused(activeWorkspace(), station.app.startDirectory, nullptr);
    refused.runSignal();
    QCOMPARE(refused.signalText(), QString());
    QCOMPARE(station.messages,
             QStringList({"The trade model's MACD slow span 2147483647 exceeds the 4,666 bars of USD/JPY"}));
    QVERIFY(!QFile::exists(station.startFile("strategy")));
}

void TradeSignalDlgTest::makingTheDialogComputesAndWritesNothing() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    station.writeStartFile("USD_JPY.pfm", macdModel);
    const auto positions = [&] {
        std::vector<int> each;
        for (const Bar& bar : station.product().bars) each.push_back(bar.position);
        return each;
    };
    const std::vector<int> before = positions();
    CTradeSignalDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    QCOMPARE(dialog.signalText() + dialog.netProfitText(), QString());
    QVERIFY(!QFile::exists(station.startFile("strategy")));
    QCOMPARE(station.readStartFile("USD_JPY.pfm"), macdModel);
    QVERIFY(positions() == before);

    dialog.runSignal();
    QVERIFY(positions() != before);
    QVERIFY(!dialog.signalText().isEmpty());
    QVERIFY(QFile::exists(station.startFile("strategy/USD_JPY.csv")));
    QVERIFY(station.readStartFile("USD_JPY.pfm") != macdModel);
}

QTEST_MAIN(TradeSignalDlgTest)
#include "trade_signal_dlg_test.moc"
