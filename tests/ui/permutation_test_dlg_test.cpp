// The Permutation Test window on the USD/JPY sample with small grids: it
// shows the engine's run, a cancelled run keeps nothing, and a test of the
// Strategy Builder's build puts its p-value into the builder's panel, where
// the verdict then rests on it.
#include "trade_model_station.h"

#include "app/command_ids.h"
#include "windows/robustness/permutation_test_dlg.h"
#include "windows/model/strategy_builder_dlg.h"
#include "report/permutation_texts.h"
#include "robustness/robustness_verdict.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <qcustomplot.h>

#include <numeric>

using namespace varkel;

namespace {

BuildGrids smallGrids() {
    BuildGrids grids;
    grids.macd = {{4, 6}, 10, {7, 9}};
    grids.roc = {{1, 3}, {0.5, 0.5, 2.0}};
    return grids;
}

void chooseMacdAndRoc(QDialog& dialog, const char* base, const char* use2nd, const char* second) {
    auto* baseList = dialog.findChild<QComboBox*>(base);
    baseList->setCurrentIndex(baseList->findText("MACD"));
    dialog.findChild<QCheckBox*>(use2nd)->setChecked(true);
    auto* secondList = dialog.findChild<QComboBox*>(second);
    secondList->setCurrentIndex(secondList->findText("Rate Of Change"));
}

bool runAndWait(CPermutationTestDlg& dialog, bool cancelAtOnce = false) {
    QSignalSpy finished(&dialog, &CPermutationTestDlg::runFinished);
    dialog.findChild<QPushButton*>("run")->click();
    if (!dialog.isRunning()) return false;
    if (cancelAtOnce) dialog.findChild<QPushButton*>("cancelRun")->click();
    return finished.wait(300000);
}

}  // namespace

class PermutationTestDlgTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheEnginesRunAndSavesItsCsv();
    void aCancelledRunKeepsNothing();
    void theBuildersPanelShowsTheTestOfItsBuild();
    void pictureForTheReadme();
};

void PermutationTestDlgTest::showsTheEnginesRunAndSavesItsCsv() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    bool ran = false;
    station.answerDialog = [&](QDialog& window) {
        auto* dialog = qobject_cast<CPermutationTestDlg*>(&window);
        if (dialog == nullptr) return int(QDialog::Rejected);
        [&] {
            QCOMPARE(dialog->parentWidget(), station.frame());
            QCOMPARE(dialog->findChild<QSpinBox*>("permutations")->value(), 200);
            dialog->setGrids(smallGrids());
            chooseMacdAndRoc(*dialog, "baseIndex", "use2nd", "secondIndex");
            dialog->findChild<QSpinBox*>("permutations")->setValue(9);
            dialog->findChild<QSpinBox*>("seed")->setValue(4);
            dialog->resize(900, 640);
            dialog->show();
            QVERIFY(runAndWait(*dialog));
            // The shuffles keep the history's faults: the window names them as the builder does.
            const QString quality = dialog->findChild<QLabel*>("dataQuality")->text();
            QVERIFY2(quality.contains("bars flagged as wrong prices") && quality.contains("\nhistory: "),
                     qPrintable(quality));

            // The engine on its own, with the same entries.
            const PermutationTestOptions options = dialog->readOptions();
            QCOMPARE(options.permutations, std::int64_t(9));
            QCOMPARE(options.seed, std::uint64_t(4));
            const PermutationRun expected =
                runPermutationTest(activeWorkspace()->registry, activeWorkspace()->productName, options);
            QCOMPARE(int(expected.outcome), int(RunOutcome::Done));
            QVERIFY(dialog->rows().size() == expected.rows.size());
            for (std::size_t i = 0; i < expected.rows.size(); ++i)
                QVERIFY(dialog->rows()[i].returns == expected.rows[i].returns);
            const PermutationReport report = summarisePermutationRun(expected.layers, expected.real, expected.rows, 4);

            auto* table = dialog->findChild<QTableWidget*>("layerTable");
            QCOMPARE(table->rowCount(), 2);
            for (int row = 0; row < 2; ++row) {
                const PermutationSummary& s = *report.layers[static_cast<std::size_t>(row)];
                QCOMPARE(table->item(row, 1)->text(), QString::number(s.real, 'f', 4));
                QCOMPARE(table->item(row, 2)->text(), QString::fromStdString(pValueText(s.pValue)));
                QCOMPARE(table->item(row, 3)->text(), QStringLiteral("%1 of 10").arg(s.rank));
                QCOMPARE(table->item(row, 6)->text(), QString::number(s.median, 'f', 4));
            }
            QCOMPARE(dialog->findChild<QLabel*>("sentence")->text(),
                     QString::fromStdString(permutationSentence(report.wholeBuild())));

            // Every permuted build counted once; the real return marked.
            const auto& histogram = dialog->histogram();
            QCOMPARE(std::accumulate(histogram.counts.begin(), histogram.counts.end(), 0), 9);
            auto* chart = dialog->findChild<QCustomPlot*>("permutationHistogram");
            auto* marker = qobject_cast<QCPItemStraightLine*>(chart->item(0));
            QVERIFY(marker != nullptr);
            QCOMPARE(marker->point1->coords().x(), expected.real[1]);

            QVERIFY(dialog->saveCsv(station.startFile("permutations.csv")));
            QCOMPARE(station.readStartFile("permutations.csv"),
                     QByteArray::fromStdString(permutationCsv(expected.layers, expected.rows)));
            QVERIFY(station.messages.isEmpty());
            ran = true;
        }();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::permutationTestMenu);
    QVERIFY(ran);
}

void PermutationTestDlgTest::aCancelledRunKeepsNothing() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    CPermutationTestDlg dialog(activeWorkspace(), station.app.startDirectory, station.frame());
    dialog.run();  // no base index chosen
    QCOMPARE(station.messages.size(), 1);
    dialog.setGrids(smallGrids());
    chooseMacdAndRoc(dialog, "baseIndex", "use2nd", "secondIndex");
    dialog.findChild<QSpinBox*>("permutations")->setValue(3);
    QVERIFY(runAndWait(dialog));
    QVERIFY(dialog.report().has_value());
    QVERIFY(dialog.findChild<QPushButton*>("saveCsv")->isEnabled());

    // The full grids take long enough to be stopped.
    dialog.setGrids(BuildGrids{});
    QVERIFY(runAndWait(dialog, true));
    QVERIFY(!dialog.report().has_value());
    QVERIFY(dialog.rows().empty());
    QCOMPARE(dialog.findChild<QTableWidget*>("layerTable")->rowCount(), 0);
    QVERIFY(dialog.findChild<QLabel*>("sentence")->text().isEmpty());
    QVERIFY(dialog.histogram().counts.empty());
    QVERIFY(!dialog.findChild<QPushButton*>("saveCsv")->isEnabled());
    QVERIFY(!dialog.saveCsv(station.startFile("permutations.csv")));
    QVERIFY(!QFile::exists(station.startFile("permutations.csv")));
}

void PermutationTestDlgTest::theBuildersPanelShowsTheTestOfItsBuild() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    CStrategyBuilderDlg builder(activeWorkspace(), station.app.startDirectory, station.frame());
    builder.setGrids(smallGrids());
    auto* permutationButton = builder.findChild<QPushButton*>("permutationTest");
    QVERIFY(!permutationButton->isEnabled());
    chooseMacdAndRoc(builder, "1021", "1014", "1022");
    builder.findChild<QComboBox*>("selection")->setCurrentIndex(1);  // plateau
    QSignalSpy built(&builder, &CStrategyBuilderDlg::runFinished);
    builder.findChild<QPushButton*>("1")->click();
    QVERIFY(built.wait(60000));
    QVERIFY(permutationButton->isEnabled());
    auto* verdict = builder.findChild<QLabel*>("verdict");
    auto* shownP = builder.findChild<QLabel*>("permutationP");
    QVERIFY(shownP->text().isEmpty());
    const QString verdictBefore = verdict->text();

    // A test of another build says nothing about this one; a test of this one does.
    for (const bool sameBuild : {false, true}) {
        std::optional<double> p;
        station.answerDialog = [&](QDialog& window) {
            auto* test = qobject_cast<CPermutationTestDlg*>(&window);
            if (test == nullptr) return int(QDialog::Rejected);
            [&] {
                const PermutationTestOptions options = test->readOptions();
                QCOMPARE(options.build.choice, (IndexChoice{StudyKind::Macd, true, StudyKind::RateOfChange, false, std::nullopt}));
                QCOMPARE(int(options.build.selection), int(TrialSelection::plateau));
                if (!sameBuild) test->findChild<QComboBox*>("selection")->setCurrentIndex(0);
                test->findChild<QSpinBox*>("permutations")->setValue(4);
                QVERIFY(runAndWait(*test));
                p = test->report()->wholeBuild().pValue;
            }();
            return int(QDialog::Rejected);
        };
        permutationButton->click();
        QVERIFY(p.has_value());
        if (!sameBuild) {
            QVERIFY(shownP->text().isEmpty());
            QCOMPARE(verdict->text(), verdictBefore);
            continue;
        }
        QCOMPARE(shownP->text(), QString::fromStdString(pValueText(*p)));
        QVERIFY2(verdict->text().contains((*p < 0.05 ? QStringLiteral("permutation test p = ") : QStringLiteral("p = ")) +
                                          shownP->text()),
                 qPrintable(verdict->text()));
        // A large p says what the test could not tell, never that the model is a fluke.
        QVERIFY(verdict->text().contains(*p < 0.05 ? "holds up against noise" : "could not tell"));
        QVERIFY(!verdict->text().contains("fluke"));
        // The plateau build stays named as one, and four histories are too few for any p below 0.05.
        QVERIFY2(verdict->text().contains("the plateau trial of "), qPrintable(verdict->text()));
        QVERIFY(verdict->text().endsWith("With 4 shuffled histories no build can reach p below 0.05: the test needs at "
                                         "least 20."));
        QVERIFY(verdict->styleSheet().contains(*p < 0.05 ? "#1a7f37" : "#b35c00"));
    }
}

// With VARKEL_SCREENSHOT_DIR set (scripts/screenshot-permutation): LREG +
// ROC on their full grids, 200 permutations, saved as the README's picture.
void PermutationTestDlgTest::pictureForTheReadme() {
    if (!qEnvironmentVariableIsSet("VARKEL_SCREENSHOT_DIR")) QSKIP("only for scripts/screenshot-permutation");
    TradeModelStation station;
    QVERIFY(station.openBundledSample());
    CPermutationTestDlg dialog(activeWorkspace(), station.app.startDirectory, station.frame());
    dialog.setBuild({StudyKind::LinearRegression, true, StudyKind::RateOfChange, false, std::nullopt}, TrialSelection::best);
    dialog.resize(900, 640);
    dialog.show();
    QVERIFY(runAndWait(dialog));
    QTest::qWait(400);  // the chart's queued redraw
    const QString path = QDir(qEnvironmentVariable("VARKEL_SCREENSHOT_DIR")).filePath("screenshot-permutation.png");
    QVERIFY2(dialog.grab().save(path, "PNG"), qPrintable(path));
    qInfo("%s", qPrintable(dialog.findChild<QLabel*>("sentence")->text()));
}

QTEST_MAIN(PermutationTestDlgTest)
#include "permutation_test_dlg_test.moc"
