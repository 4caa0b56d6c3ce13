#include "trade_model_station.h"

#include "model/strategy_builder.h"
#include "model/trade_model_file.h"
#include "model/ui/strategy_builder_dlg.h"
#include "report/build_texts.h"
#include "workbench/chart_fx.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <algorithm>

using namespace varkel;

namespace {

QString textOf(const QDialog& dialog, int id) {
    return dialog.findChild<QLabel*>(QString::number(id))->text();
}

QPushButton* button(const QDialog& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

// Picks `entry` in list `listId`; an empty entry leaves nothing selected.
void choose(const QDialog& dialog, int listId, const QString& entry) {
    auto* list = dialog.findChild<QComboBox*>(QString::number(listId));
    list->setCurrentIndex(list->findText(entry));
}

void setChecked(const QDialog& dialog, int boxId, bool checked) {
    dialog.findChild<QCheckBox*>(QString::number(boxId))->setChecked(checked);
}

// A few dozen trials per layer, so that a build over the whole sample takes
// moments.
BuildGrids smallGrids() {
    BuildGrids grids;
    grids.macd = {{4, 6}, 10, {7, 9}};
    grids.roc = {{1, 3}, {0.5, 0.5, 2.0}};
    return grids;
}

bool sameBars(const std::vector<Bar>& a, const std::vector<Bar>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Bar& x, const Bar& y) {
        return x.position == y.position && x.cumulativePnl == y.cumulativePnl && x.keltnerUpper == y.keltnerUpper;
    });
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class StrategyBuilderDlgTest : public QObject {
    Q_OBJECT
private slots:
    void listsHoldTheirEntriesAndNeedAProduct();
    void refusedChoicesShowTheirMessagesAndBuildNothing();
    void buildShowsAndSavesWhatTheEngineBuilds();
    void cancelledOrClosedBuildSavesNothingUnwritableFileIsReported();
};

void StrategyBuilderDlgTest::listsHoldTheirEntriesAndNeedAProduct() {
    TradeModelStation station;
    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    const auto entries = [&](int id) {
        auto* list = dialog.findChild<QComboBox*>(QString::number(id));
        QStringList items{QString::number(list->currentIndex())};
        for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
        return items;
    };
    QCOMPARE(entries(1021),
             QStringList({"-1", "MACD", "Linear Regression", "Time Series Correlation", "Stochastics", "Keltner Channels"}));
    const QStringList filters = {"-1", "Linear Regression", "Time Series Correlation", "Rate Of Change",
                                 "Normal Distribution"};
    QCOMPARE(entries(1022), filters);
    QCOMPARE(entries(1023), filters);
    button(dialog, "1")->click();  // no product shown: not even the base index is checked
    QVERIFY(!dialog.isBuilding());
    QVERIFY(station.messages.isEmpty());
}

void StrategyBuilderDlgTest::refusedChoicesShowTheirMessagesAndBuildNothing() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    dialog.setGrids(smallGrids());
    button(dialog, "1")->click();  // nothing chosen

    choose(dialog, 1021, "Linear Regression");
    setChecked(dialog, 1014, true);
    choose(dialog, 1022, "Linear Regression");
    button(dialog, "1")->click();

    choose(dialog, 1021, "MACD");
    choose(dialog, 1022, "Rate Of Change");
    setChecked(dialog, 1015, true);
    choose(dialog, 1023, "Rate Of Change");
    button(dialog, "1")->click();

    choose(dialog, 1023, "");  // the 2nd index is fine, the 3rd names nothing
    button(dialog, "1")->click();

    QCOMPARE(station.messages,
             QStringList({"Base Index is must item",
                          "Linear Regression is assigned in Base Index. Please specify another index in 2nd Index.",
                          "Rate Of Change is assigned in 2nd Index. Please specify another index in 3rd Index.",
                          "Please specify some index as 3rd index"}));
    QVERIFY(!QFile::exists(station.startFile("USD_JPY.pfm")));

    // A 3rd index is checked against the indexes in use only: with the 2nd
    // index off, its Rate Of Change does not refuse the 3rd.
    setChecked(dialog, 1014, false);
    choose(dialog, 1023, "Rate Of Change");
    button(dialog, "1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBuilding(), 30000);
    QCOMPARE(station.messages.size(), 4);
    TradeModel saved;
    QVERIFY(loadTradeModel(saved, station.startFile("USD_JPY.pfm").toStdString()));
    QCOMPARE(saved.secondKind, StudyKind::NotInUse);
    QCOMPARE(saved.thirdKind, StudyKind::RateOfChange);
}

void StrategyBuilderDlgTest::buildShowsAndSavesWhatTheEngineBuilds() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    ProductRegistry engineRegistry = activeWorkspace()->registry;  // the bars as the build finds them

    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    dialog.setGrids(smallGrids());
    QSignalSpy finished(&dialog, &CStrategyBuilderDlg::buildFinished);
    choose(dialog, 1021, "MACD");
    setChecked(dialog, 1014, true);
    choose(dialog, 1022, "Rate Of Change");
    button(dialog, "1")->click();
    QVERIFY(dialog.isBuilding() && !button(dialog, "1")->isEnabled());
    QVERIFY(finished.wait(30000));
    QVERIFY(button(dialog, "1")->isEnabled());
    QVERIFY(station.messages.isEmpty());

    QTemporaryDir engineDirectory;
    BuildOptions options;
    options.grids = smallGrids();
    // The dialog's statistics and its Best selection change nothing of the
    // build as it was before them.
    options.robustness = false;
    const BuildResult expected = buildStrategy(engineRegistry, "USD/JPY", IndexChoice{5, true, 9},
                                               engineDirectory.path().toStdString(), options);
    QCOMPARE(expected.outcome, BuildOutcome::Built);
    const std::pair<int, std::string> texts[] = {{1024, layerReturnText(*expected.layerReturns[0])},
                                                 {1025, layerReturnText(*expected.layerReturns[1])},
                                                 {1026, ""},
                                                 {1029, buildMeasureText(expected.model.sharpeRatio)},
                                                 {1030, buildMeasureText(expected.model.kellyFormula)},
                                                 {1031, buildMeasureText(expected.model.winningRate)}};
    for (const auto& [id, text] : texts) QCOMPARE(textOf(dialog, id), QString::fromStdString(text));
    QCOMPARE(contentOf(station.startFile("USD_JPY.pfm")), contentOf(engineDirectory.filePath("USD_JPY.pfm")));

    // The curve: every real bar's cumulative P&L with its date, the next-day bar left out.
    const auto& bars = engineRegistry.findProduct("USD/JPY")->bars;
    QVERIFY(sameBars(station.product().bars, bars));
    const auto* chart = dialog.findChild<CChartFX*>("1012");
    QCOMPARE(chart->pointCount(), int(bars.size()) - 1);
    for (int i = 0; i < chart->pointCount(); ++i) {
        QCOMPARE(chart->value(0, i), bars[std::size_t(i)].cumulativePnl);
        QCOMPARE(chart->pointLabel(i), QString::fromStdString(bars[std::size_t(i)].dateText));
    }
    // Every trial of the last layer ran (3 ROC spans by thresholds 0.5, 1.0,
    // 1.5) and was scored for the statistics after them.
    const auto* progress = dialog.findChild<QProgressBar*>("buildProgress");
    QCOMPARE(progress->value(), progress->maximum());
    QVERIFY(progress->maximum() >= 9);
}

void StrategyBuilderDlgTest::cancelledOrClosedBuildSavesNothingUnwritableFileIsReported() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    const std::vector<Bar> before = station.product().bars;
    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    auto* progress = dialog.findChild<QProgressBar*>("buildProgress");
    choose(dialog, 1021, "Keltner Channels");  // the longest search there is

    button(dialog, "1")->click();
    // The window keeps answering while the search runs.
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 30000);
    QCOMPARE(textOf(dialog, 1024), QStringLiteral("Processing.........."));
    QVERIFY(progress->value() < 810000);
    button(dialog, "cancelBuild")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBuilding(), 30000);
    QCOMPARE(textOf(dialog, 1024), QStringLiteral("Cancelled"));

    button(dialog, "1")->click();
    QVERIFY(dialog.isBuilding());
    button(dialog, "2")->click();  // Finish during the build stops it before closing
    QVERIFY(!dialog.isBuilding());

    QVERIFY(!QFile::exists(station.startFile("USD_JPY.pfm")));
    QVERIFY(sameBars(station.product().bars, before));
    QVERIFY(station.messages.isEmpty());

    // A model file that cannot be written is reported with its path.
    QVERIFY(QDir(station.start.path()).mkdir("USD_JPY.pfm"));
    dialog.setGrids(smallGrids());
    choose(dialog, 1021, "MACD");
    button(dialog, "1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBuilding(), 30000);
    QCOMPARE(station.messages, QStringList({"Could not write the trade model file " + station.startFile("USD_JPY.pfm")}));
}

QTEST_MAIN(StrategyBuilderDlgTest)
#include "strategy_builder_dlg_test.moc"
