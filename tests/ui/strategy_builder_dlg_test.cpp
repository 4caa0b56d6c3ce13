#include "trade_model_station.h"

#include "builder/strategy_builder.h"
#include "model/trade_model_file.h"
#include "windows/model/strategy_builder_dlg.h"
#include "report/build_texts.h"
#include "report/flagged_return.h"
#include "workbench/chart_fx.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <algorithm>
#include <map>

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
    void chartsKeepTheStudiesTheirTitlesName();
    void aNewBuildOrACancelLeavesNothingOfTheEarlierOne();
    void onlySaveReplacesTheSavedModel();
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
    QVERIFY(!dialog.isRunning());
    QCOMPARE(station.messages, QStringList({"Open a price file first: the Strategy Builder builds a model for the "
                                            "active chart's product."}));
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
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isRunning(), 30000);
    QCOMPARE(station.messages.size(), 4);
    button(dialog, "save")->click();
    TradeModel saved;
    QVERIFY(loadTradeModel(saved, station.startFile("USD_JPY.pfm").toStdString()));
    QCOMPARE(saved.layers[1].kind, StudyKind::NotInUse);
    QCOMPARE(saved.layers[2].kind, StudyKind::RateOfChange);
}

void StrategyBuilderDlgTest::buildShowsAndSavesWhatTheEngineBuilds() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    ProductRegistry engineRegistry = activeWorkspace()->registry;  // the bars as the build finds them

    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    dialog.setGrids(smallGrids());
    QSignalSpy finished(&dialog, &CStrategyBuilderDlg::runFinished);
    choose(dialog, 1021, "MACD");
    setChecked(dialog, 1014, true);
    choose(dialog, 1022, "Rate Of Change");
    button(dialog, "1")->click();
    QVERIFY(dialog.isRunning() && !button(dialog, "1")->isEnabled());
    QVERIFY(finished.wait(30000));
    QVERIFY(button(dialog, "1")->isEnabled());
    QVERIFY(station.messages.isEmpty());

    QTemporaryDir engineDirectory;
    BuildOptions options;
    options.grids = smallGrids();
    // The dialog's statistics and its Best selection change nothing of the
    // build as it was before them.
    options.robustness = false;
    const BuildResult expected = buildStrategy(engineRegistry, "USD/JPY", IndexChoice{StudyKind::Macd, true, StudyKind::RateOfChange},
                                               options);
    QCOMPARE(expected.outcome, RunOutcome::Done);
    QVERIFY(saveTradeModel(expected.model, performanceFilePath(engineDirectory.path().toStdString(), "USD/JPY")));
    const std::pair<int, std::string> texts[] = {{1024, layerReturnText(*expected.layerReturns[0])},
                                                 {1025, layerReturnText(*expected.layerReturns[1])},
                                                 {1026, ""},
                                                 {1029, buildMeasureText(expected.model.sharpeRatio, expected.model.tradeCount)},
                                                 {1030, buildMeasureText(expected.model.kellyFormula, expected.model.tradeCount)},
                                                 {1031, buildMeasureText(expected.model.winningRate, expected.model.tradeCount)}};
    for (const auto& [id, text] : texts) QCOMPARE(textOf(dialog, id), QString::fromStdString(text));
    // The chosen parameters beside each layer's return.
    for (int layer = 1; layer <= 3; ++layer)
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("layerParameters%1").arg(layer))->text(),
                 QString::fromStdString(layerParameterText(expected.model.layers[layer - 1])));
    QVERIFY(!dialog.findChild<QLabel*>("layerParameters1")->text().isEmpty());
    // The ROC filter is named when it earns less than the MACD base alone, and only then.
    const QString cost = dialog.findChild<QLabel*>("filterCost")->text();
    QCOMPARE(cost.startsWith("The ROC filter lowers the return from "), *expected.layerReturns[1] < *expected.layerReturns[0]);
    QCOMPARE(cost.isEmpty(), !(*expected.layerReturns[1] < *expected.layerReturns[0]));
    // The sample's flagged bars and their share of the model's return.
    const QString note = dialog.findChild<QLabel*>("dataQuality")->text();
    QVERIFY2(note.startsWith("The history has "), qPrintable(note));
    QCOMPARE(note, QString::fromStdString(builtModelDataQualityNote(VARKEL_FAULTY_HISTORIES_DIR "/USD_JPY.txt",
                                                                     *engineRegistry.findProduct("USD/JPY"))));
    QVERIFY(!QFile::exists(station.startFile("USD_JPY.pfm")));  // saved only when asked to
    button(dialog, "save")->click();
    QCOMPARE(contentOf(station.startFile("USD_JPY.pfm")), contentOf(engineDirectory.filePath("USD_JPY.pfm")));
    QCOMPARE(station.messages, QStringList({"Saved the trade model for USD/JPY to\n" +
                                            QDir::toNativeSeparators(station.startFile("USD_JPY.pfm"))}));

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
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isRunning(), 30000);
    QCOMPARE(textOf(dialog, 1024), QStringLiteral("Cancelled"));

    button(dialog, "1")->click();
    QVERIFY(dialog.isRunning());
    button(dialog, "2")->click();  // Finish during the build stops it before closing
    QVERIFY(!dialog.isRunning());

    QVERIFY(!QFile::exists(station.startFile("USD_JPY.pfm")));
    QVERIFY(sameBars(station.product().bars, before));
    QVERIFY(station.messages.isEmpty());

    // A model file that cannot be written is reported with its path ...
    QVERIFY(QDir(station.start.path()).mkdir("USD_JPY.pfm"));
    dialog.setGrids(smallGrids());
    choose(dialog, 1021, "MACD");
    button(dialog, "1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isRunning(), 30000);
    QVERIFY(station.messages.isEmpty());
    button(dialog, "save")->click();
    // ... and with the reason.
    QCOMPARE(station.messages.size(), 1);
    QVERIFY2(station.messages[0].startsWith("Could not write the trade model file " + station.startFile("USD_JPY.pfm") +
                                             ": "),
             qPrintable(station.messages[0]));
}

// After a build, View > Tick repaints the MACD chart titled "MACD (30, 10, 9)"
// with MACD (30, 10, 9), not with the build's last trial.
void StrategyBuilderDlgTest::chartsKeepTheStudiesTheirTitlesName() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    const auto answer = [&](std::map<QString, QString> entries) {
        station.answerDialog = [entries](QDialog& dialog) {
            for (const auto& [id, text] : entries) dialog.findChild<QLineEdit*>(id)->setText(text);
            dialog.findChild<QPushButton*>("1")->click();
            return dialog.result();
        };
    };
    answer({{"1007", "30"}, {"1008", "10"}, {"1009", "9"}});
    station.frame()->dispatch(32785);  // Studies > MACD
    answer({{"1006", "300"}});
    station.frame()->dispatch(32784);  // View > Tick
    const auto* macdChart = dynamic_cast<CChartFX*>(findStudyChart("MACD", *activeWorkspace())->chart);
    QCOMPARE(macdChart->title(), QStringLiteral("MACD (30, 10, 9)"));
    const auto chartValues = [macdChart] {
        std::vector<double> values;
        for (int series = 0; series < 2; ++series)
            for (int i = 0; i < int(macdChart->plotRange().xMax); ++i) values.push_back(macdChart->value(series, i));
        return values;
    };
    const std::vector<double> before = chartValues();
    QCOMPARE(int(before.size()), 2 * 299);

    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    dialog.setGrids(smallGrids());
    choose(dialog, 1021, "MACD");
    button(dialog, "1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isRunning(), 30000);

    station.frame()->dispatch(32784);  // Tick 300 again repaints every chart
    QCOMPARE(macdChart->title(), QStringLiteral("MACD (30, 10, 9)"));
    QVERIFY(chartValues() == before);
}

void StrategyBuilderDlgTest::aNewBuildOrACancelLeavesNothingOfTheEarlierOne() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
    dialog.setGrids(smallGrids());
    auto* curve = dialog.findChild<CChartFX*>("1012");
    const auto figures = [&] {
        QStringList texts;
        for (int id : {1024, 1025, 1026, 1029, 1030, 1031}) texts << textOf(dialog, id);
        for (int layer = 1; layer <= 3; ++layer)
            texts << dialog.findChild<QLabel*>(QStringLiteral("layerParameters%1").arg(layer))->text();
        return texts;
    };
    choose(dialog, 1021, "MACD");
    setChecked(dialog, 1014, true);
    choose(dialog, 1022, "Rate Of Change");
    button(dialog, "1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isRunning(), 30000);
    QVERIFY(curve->pointCount() > 0);
    QVERIFY(!figures()[1].isEmpty() && !figures()[3].isEmpty());

    // The second build (the long Keltner search) starts from a clean window...
    setChecked(dialog, 1014, false);
    choose(dialog, 1021, "Keltner Channels");
    dialog.setGrids(BuildGrids{});
    button(dialog, "1")->click();
    QVERIFY(dialog.isRunning());
    QCOMPARE(curve->pointCount(), 0);
    QCOMPARE(figures(), QStringList(9, QString()));
    // ...and a Cancel leaves nothing but the word.
    QTRY_COMPARE_WITH_TIMEOUT(textOf(dialog, 1024), QStringLiteral("Processing.........."), 30000);
    button(dialog, "cancelBuild")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isRunning(), 30000);
    QCOMPARE(curve->pointCount(), 0);
    QStringList expected(9, QString());
    expected[0] = QStringLiteral("Cancelled");
    QCOMPARE(figures(), expected);
    // Only Save replaces a model: no build asks.
    QCOMPARE(station.questions, QStringList());
}

// Search first, save after: a build leaves the saved model byte for byte;
// Save asks once before it replaces it and says where it saved. The window
// remembers the last base, filters and rule.
void StrategyBuilderDlgTest::onlySaveReplacesTheSavedModel() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    const QByteArray saved = "the model traded by\n";
    station.writeStartFile("USD_JPY.pfm", saved);
    station.answerQuestion = [](const QString&) { return false; };
    {
        CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, nullptr);
        dialog.setGrids(smallGrids());
        choose(dialog, 1021, "MACD");
        setChecked(dialog, 1014, true);
        choose(dialog, 1022, "Rate Of Change");
        dialog.findChild<QComboBox*>("selection")->setCurrentIndex(1);
        QVERIFY(!button(dialog, "save")->isEnabled());
        button(dialog, "1")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isRunning(), 30000);
        QCOMPARE(station.questions, QStringList());
        QCOMPARE(station.readStartFile("USD_JPY.pfm"), saved);

        button(dialog, "save")->click();  // No: the saved model stays
        QCOMPARE(station.questions,
                 QStringList({"A trade model for USD/JPY is already saved in\n" +
                              QDir::toNativeSeparators(station.startFile("USD_JPY.pfm")) +
                              "\nReplace it with this build?"}));
        QCOMPARE(station.readStartFile("USD_JPY.pfm"), saved);
        QVERIFY(button(dialog, "save")->isEnabled());  // the build can still be saved
        button(dialog, "2")->click();
        QCOMPARE(station.readStartFile("USD_JPY.pfm"), saved);
    }

    CStrategyBuilderDlg again(activeWorkspace(), station.app.startDirectory, nullptr);
    QCOMPARE(again.findChild<QComboBox*>("1021")->currentText(), QStringLiteral("MACD"));
    QVERIFY(again.findChild<QCheckBox*>("1014")->isChecked());
    QCOMPARE(again.findChild<QComboBox*>("1022")->currentText(), QStringLiteral("Rate Of Change"));
    QCOMPARE(again.findChild<QComboBox*>("selection")->currentText(), QStringLiteral("Plateau"));
    again.setGrids(smallGrids());
    station.answerQuestion = [](const QString&) { return true; };
    button(again, "1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!again.isRunning(), 30000);
    QCOMPARE(station.readStartFile("USD_JPY.pfm"), saved);
    button(again, "save")->click();
    QCOMPARE(station.questions.size(), 2);  // one question per Save
    QVERIFY(station.readStartFile("USD_JPY.pfm").startsWith("5\n"));
    QVERIFY(!button(again, "save")->isEnabled());
    QCOMPARE(station.messages.last(), "Saved the trade model for USD/JPY to\n" +
                                          QDir::toNativeSeparators(station.startFile("USD_JPY.pfm")));
    QCOMPARE(again.findChild<QProgressBar*>("buildProgress")->format(),
             "Saved to " + QDir::toNativeSeparators(station.startFile("USD_JPY.pfm")));
}

QTEST_MAIN(StrategyBuilderDlgTest)
#include "strategy_builder_dlg_test.moc"
