// The Walk-Forward Analysis window on the USD/JPY sample with small grids:
// what it shows is the engine's report, entries it cannot run are refused
// with the window left open, and a cancelled run leaves nothing behind.
#include "trade_model_station.h"

#include "app/command_ids.h"
#include "windows/robustness/walk_forward_dlg.h"
#include "base/work_control.h"
#include "report/walk_forward_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <qcustomplot.h>

using namespace varkel;

namespace {

BuildGrids smallGrids() {
    BuildGrids grids;
    grids.macd = {{4, 6}, 10, {7, 9}};
    grids.roc = {{1, 3}, {0.5, 0.5, 2.0}};
    return grids;
}

void chooseMacdAndRoc(QDialog& dialog) {
    auto* base = dialog.findChild<QComboBox*>("baseIndex");
    base->setCurrentIndex(base->findText("MACD"));
    dialog.findChild<QCheckBox*>("use2nd")->setChecked(true);
    auto* second = dialog.findChild<QComboBox*>("secondIndex");
    second->setCurrentIndex(second->findText("Rate Of Change"));
}

bool runAndWait(CWalkForwardDlg& dialog, bool cancelAtOnce = false) {
    QSignalSpy finished(&dialog, &CWalkForwardDlg::runFinished);
    dialog.findChild<QPushButton*>("run")->click();
    if (!dialog.isRunning()) return false;
    if (cancelAtOnce) dialog.findChild<QPushButton*>("cancelRun")->click();
    return finished.wait(300000);
}

// The running sum from 0.0, in bar order.
std::vector<double> runningSum(const std::vector<double>& daily) {
    std::vector<double> sums;
    double sum = 0.0;
    for (double value : daily) sums.push_back(sum += value);
    return sums;
}

void expectCurve(const QCPGraph* graph, int firstBar, const std::vector<double>& daily) {
    const std::vector<double> expected = runningSum(daily);
    QCOMPARE(graph->dataCount(), int(expected.size()));
    for (int i = 0; i < graph->dataCount(); ++i) {
        QCOMPARE(graph->data()->at(i)->key, double(firstBar + i));
        QCOMPARE(graph->data()->at(i)->value, expected[i]);
    }
}

}  // namespace

class WalkForwardDlgTest : public QObject {
    Q_OBJECT
private slots:
    void badEntriesAreRefusedWithTheWindowOpen();
    void showsTheEnginesReportAndSavesItsCsv();
    void aCancelledRunKeepsNothing();
    void theThreadCountComesFromTheSettings();
};

void WalkForwardDlgTest::badEntriesAreRefusedWithTheWindowOpen() {
    TradeModelStation station;
    CWalkForwardDlg noChart(activeWorkspace(), station.app.startDirectory, station.frame());
    noChart.run();
    QCOMPARE(station.messages.size(), 1);
    QVERIFY(station.messages[0].startsWith("Open a price file first"));

    QVERIFY(station.openSample());
    CWalkForwardDlg dialog(activeWorkspace(), station.app.startDirectory, station.frame());
    QCOMPARE(dialog.parentWidget(), station.frame());
    dialog.show();
    QCOMPARE(dialog.findChild<QSpinBox*>("trainBars")->value(), 1000);
    QCOMPARE(dialog.findChild<QSpinBox*>("testBars")->value(), 250);
    dialog.run();  // no base index chosen
    chooseMacdAndRoc(dialog);
    struct Entry {
        int train, test;
        const char* message;
    };
    const Entry entries[] = {{49, 250, "The train length must be at least 50 bars."},
                             {1000, 0, "The test length must be at least 1 bar."},
                             {4666, 250, "The history has 4666 bars: with a train length of 4666 no bar is left"}};
    for (const Entry& entry : entries) {
        dialog.findChild<QSpinBox*>("trainBars")->setValue(entry.train);
        dialog.findChild<QSpinBox*>("testBars")->setValue(entry.test);
        dialog.run();
        QVERIFY2(station.messages.last().startsWith(entry.message), qPrintable(station.messages.last()));
    }
    QCOMPARE(station.messages.size(), 4);  // one per refusal
    QVERIFY(!dialog.isRunning());
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.report().folds.empty());
}

void WalkForwardDlgTest::showsTheEnginesReportAndSavesItsCsv() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    bool ran = false;
    station.answerDialog = [&](QDialog& window) {
        auto* dialog = qobject_cast<CWalkForwardDlg*>(&window);
        if (dialog == nullptr) return int(QDialog::Rejected);
        [&] {
            QCOMPARE(dialog->parentWidget(), station.frame());
            dialog->setGrids(smallGrids());
            chooseMacdAndRoc(*dialog);
            dialog->findChild<QComboBox*>("trainWindows")->setCurrentIndex(1);  // anchored
            dialog->findChild<QComboBox*>("selection")->setCurrentIndex(1);     // plateau
            dialog->resize(1024, 700);
            dialog->show();
            QVERIFY(runAndWait(*dialog));

            // The engine on its own, with the same entries.
            const WalkForwardOptions options = dialog->readOptions();
            QVERIFY(options.folds.anchored);
            QCOMPARE(int(options.selection), int(TrialSelection::plateau));
            const WalkForwardReport expected =
                runWalkForward(activeWorkspace()->registry, activeWorkspace()->productName, dialog->readChoice(), options);
            QCOMPARE(int(expected.outcome), int(RunOutcome::Done));
            QCOMPARE(expected.folds.size(), std::size_t(15));  // 4666 bars: 1000 to train, then 14 x 250 and 166

            auto* table = dialog->findChild<QTableWidget*>("foldTable");
            QCOMPARE(table->rowCount(), int(expected.folds.size()));
            const Product& product = station.product();
            for (int k = 0; k < table->rowCount(); ++k) {
                const FoldResult& fold = expected.folds[k];
                const TradeModel& m = fold.model;
                const QStringList row{
                    QString::number(k + 1),
                    QString::fromStdString(product.bars[fold.bars.trainFrom].dateText + " - " +
                                           product.bars[fold.bars.trainTo - 1].dateText),
                    QString::fromStdString(product.bars[fold.bars.testFrom].dateText + " - " +
                                           product.bars[fold.bars.testTo - 1].dateText),
                    QString::fromStdString(foldBaseText(m.layers[0])),
                    QString::fromStdString(foldFilterText(m.layers[1])),
                    "-",
                    QString::number(fold.inSampleReturn, 'f', 4),
                    QString::number(fold.outOfSampleReturn, 'f', 4),
                    fold.efficiency() ? QString::number(*fold.efficiency(), 'f', 4) : QString("n/a")};
                QStringList shown;
                for (int column = 0; column < table->columnCount(); ++column) shown << table->item(k, column)->text();
                QCOMPARE(shown, row);
            }
            QCOMPARE(dialog->findChild<QLabel*>("netProfit")->text(), QString::number(expected.totals.netProfit, 'f', 4));
            QCOMPARE(dialog->findChild<QLabel*>("maxDrawdown")->text(),
                     QString::number(expected.totals.maxDrawdown, 'f', 4));
            QCOMPARE(dialog->findChild<QLabel*>("wholeHistory")->text(),
                     QString::number(expected.wholeHistoryTestReturn, 'f', 4));
            QVERIFY(!dialog->findChild<QLabel*>("efficiency")->toolTip().isEmpty());

            auto* chart = dialog->findChild<QCustomPlot*>("walkForwardChart");
            QCOMPARE(chart->graphCount(), 2);
            const int firstTest = expected.folds.front().bars.testFrom;
            expectCurve(chart->graph(0), firstTest, expected.outOfSampleDaily);
            expectCurve(chart->graph(1), firstTest, expected.wholeHistoryDaily);
            QCOMPARE(chart->itemCount(), int(expected.folds.size()));  // a line where each fold's test starts
            // The legend stands under the plot, not over the curves; a verdict and a key in words.
            QCOMPARE(chart->axisRect()->insetLayout()->elementCount(), 0);
            QCOMPARE(chart->plotLayout()->rowCount(), 2);
            // The last test window is cut to the 166 bars the history has left, and says so.
            QCOMPARE(dialog->findChild<QLabel*>("verdict")->text(),
                     QString::fromStdString(walkForwardVerdict(expected)) +
                         "\nThe last fold tests only 166 bars, not the 250 asked: the history ends there.");
            QVERIFY(dialog->findChild<QLabel*>("verdict")->text().startsWith("Out of sample: net "));
            QVERIFY(dialog->findChild<QLabel*>("parameterKey")->text().startsWith("Columns: Base "));

            const QString csv = station.startFile("walkforward.csv");
            QVERIFY(dialog->saveCsv(csv));
            QCOMPARE(station.readStartFile("walkforward.csv"), QByteArray::fromStdString(walkForwardCsv(expected, product)));
            QVERIFY(!dialog->saveCsv(station.startFile("no-such-folder/walkforward.csv")));
            QCOMPARE(station.messages.size(), 1);
            ran = true;
        }();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::walkForwardMenu);
    QVERIFY(ran);
}

void WalkForwardDlgTest::aCancelledRunKeepsNothing() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    const std::vector<Bar> before = station.product().bars;
    CWalkForwardDlg dialog(activeWorkspace(), station.app.startDirectory, station.frame());
    dialog.setGrids(smallGrids());
    chooseMacdAndRoc(dialog);
    QVERIFY(runAndWait(dialog));
    QVERIFY(!dialog.report().folds.empty());
    QVERIFY(dialog.findChild<QPushButton*>("saveCsv")->isEnabled());

    // The full grids take long enough to be stopped in the base search.
    dialog.setGrids(BuildGrids{});
    QVERIFY(runAndWait(dialog, true));
    QVERIFY(dialog.report().folds.empty());
    QVERIFY(dialog.report().outOfSampleDaily.empty());
    QCOMPARE(dialog.findChild<QTableWidget*>("foldTable")->rowCount(), 0);
    QCOMPARE(dialog.findChild<QCustomPlot*>("walkForwardChart")->graphCount(), 0);
    QVERIFY(dialog.findChild<QLabel*>("netProfit")->text().isEmpty());
    QVERIFY(!dialog.findChild<QPushButton*>("saveCsv")->isEnabled());
    QVERIFY(!dialog.saveCsv(station.startFile("walkforward.csv")));
    QVERIFY(!QFile::exists(station.startFile("walkforward.csv")));
    // The run worked on a copy: the view's bars are as they were.
    QCOMPARE(station.product().bars.size(), before.size());
    QVERIFY(std::equal(before.begin(), before.end(), station.product().bars.begin(), [](const Bar& a, const Bar& b) {
        return a.position == b.position && a.cumulativePnl == b.cumulativePnl;
    }));

    // A window destroyed while it runs, with progress queued, takes the run
    // with it: nothing of the run reaches the window's members as they go.
    auto* going = new CWalkForwardDlg(activeWorkspace(), station.app.startDirectory, station.frame());
    going->setGrids(BuildGrids{});
    chooseMacdAndRoc(*going);
    going->findChild<QPushButton*>("run")->click();
    QVERIFY(going->isRunning());
    QTest::qSleep(100);
    delete going;
    QCoreApplication::processEvents();
    QCOMPARE(station.product().bars.size(), before.size());
}

// Work/Threads in the settings is the windows' --threads: a whole number from 1
// to four per core, anything else one thread per core (0).
void WalkForwardDlgTest::theThreadCountComesFromTheSettings() {
    TradeModelStation station;
    const QVariant most = maxWorkerThreads();
    const QVariant tooMany = maxWorkerThreads() + 1;
    const std::pair<QVariant, int> cases[] = {{QVariant(), 0},  {3, 3},        {most, maxWorkerThreads()},
                                              {tooMany, 0},    {0, 0},        {-2, 0},
                                              {"many", 0},     {"2", 2}};
    for (const auto& [stored, threads] : cases) {
        QSettings settings("Local AppWizard-Generated Applications", "VarkelModel2c");
        if (stored.isValid()) settings.setValue("Work/Threads", stored);
        else settings.remove("Work/Threads");
        settings.sync();
        CWalkForwardDlg dialog(activeWorkspace(), station.app.startDirectory, station.frame());
        QCOMPARE(dialog.readOptions().threads, threads);
    }
}

QTEST_MAIN(WalkForwardDlgTest)
#include "walk_forward_dlg_test.moc"
