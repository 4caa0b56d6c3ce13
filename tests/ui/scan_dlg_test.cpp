// The Scan window over a tiny scan (two short histories, small grids, a few
// permutations): its table, picture and sentence are the report's, its table
// sorts by number, "Build this model" opens the builder on the row's product
// with the row's combination, and closing the window stops a running scan.
#include "trade_model_station.h"

#include "app/command_ids.h"
#include "data/price_check.h"
#include "report/flagged_return.h"
#include "report/scan_report.h"
#include "robustness/history_cut.h"
#include "windows/model/strategy_builder_dlg.h"
#include "windows/robustness/scan_dlg.h"
#include "windows/robustness/scan_grids.h"
#include "windows/robustness/scan_picture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>

#include <algorithm>
#include <optional>

using namespace varkel;

namespace {

constexpr int shortHistoryBars = 700;

BuildGrids smallGrids() {
    BuildGrids grids;
    grids.macd = {{4, 6}, 10, {7, 9}};
    grids.roc = {{1, 3}, {0.5, 0.5, 2.0}};
    return grids;
}

// The first bars of a sample price file, as a history of its own.
QByteArray shortHistory(const QString& sample) {
    QFile file(sample);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray text;
    for (int line = 0; line < shortHistoryBars && !file.atEnd(); ++line) text += file.readLine();
    return text;
}

// USD/JPY in the first view, AUD/JPY in a second one (the active one).
bool openTwoShortHistories(TradeModelStation& station) {
    const QString usd = station.writeFile("USD_JPY.txt", shortHistory(VARKEL_SAMPLES_DIR "/USD_JPY.txt"));
    const QString aud = station.writeFile("AUD_JPY.txt", shortHistory(VARKEL_SAMPLES_DIR "/AUD_JPY.txt"));
    if (!station.open("USD/JPY", usd)) return false;
    station.frame()->dispatch(cmd::fileNew);
    return station.open("AUD/JPY", aud);
}

// Ticks exactly the named entries of a list.
void tickOnly(QDialog& dialog, const char* list, const QStringList& names) {
    auto* entries = dialog.findChild<QListWidget*>(list);
    for (int i = 0; i < entries->count(); ++i)
        entries->item(i)->setCheckState(names.contains(entries->item(i)->text()) ? Qt::Checked : Qt::Unchecked);
}

// MACD and Linear Regression with Rate Of Change and Normal Distribution as
// filters, on both products, 5 permutations.
void chooseTinyScan(CScanDlg& dialog) {
    dialog.setGrids(smallGrids());
    tickOnly(dialog, "products", {"USD/JPY", "AUD/JPY"});
    tickOnly(dialog, "bases", {"MACD", "Linear Regression"});
    tickOnly(dialog, "filters", {"Rate Of Change", "Normal Distribution"});
    dialog.findChild<QSpinBox*>("permutations")->setValue(5);
    dialog.findChild<QSpinBox*>("seed")->setValue(3);
}

bool runAndWait(CScanDlg& dialog, int milliseconds = 300000) {
    QSignalSpy finished(&dialog, &CScanDlg::runFinished);
    dialog.findChild<QPushButton*>("run")->click();
    return dialog.isRunning() && finished.wait(milliseconds);
}

// The scan the window ran, run again by the engine on its own from the same
// histories and entries, with the flagged shares the report counts.
ScanResult scanOnItsOwn(const std::vector<ChartWorkspace*>& workspaces, const ScanOptions& options) {
    std::vector<ProductRegistry> histories;
    for (const ChartWorkspace* workspace : workspaces) {
        const Product& product = *workspace->registry.findProduct(workspace->productName);
        histories.push_back(historyCutAt(product, product.historyLength()));
    }
    std::vector<const Product*> products;
    std::vector<std::vector<FlaggedBar>> flagged;
    for (std::size_t i = 0; i < histories.size(); ++i) {
        products.push_back(histories[i].findProduct(workspaces[i]->productName));
        flagged.push_back(flaggedBarsOf(checkPriceFile(workspaces[i]->pricePath, workspaces[i]->productName).findings));
    }
    ScanResult result = runScan(products, options);
    fillFlaggedShares(result, products, flagged);
    return result;
}

QStringList rowTexts(const QTableWidget& table, int row) {
    QStringList cells;
    for (int column = 0; column < table.columnCount(); ++column) cells << table.item(row, column)->text();
    return cells;
}

void clickHeader(QTableWidget& table, int column) {
    QHeaderView* header = table.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                             header->height() / 2));
}

}  // namespace

class ScanDlgTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheScanAndBuildsARowsModel();
    void refusesAndStopsAsAsked();
    void pictureForTheReadme();
};

// One tiny scan through the menu: the table, sorting, picture, sentence and
// CSV are the engine's and the report's, and "Build this model" opens the
// builder on the row's product with its combination.
void ScanDlgTest::showsTheScanAndBuildsARowsModel() {
    TradeModelStation station;
    QVERIFY(openTwoShortHistories(station));
    std::vector<ChartWorkspace*> workspaces;
    for (const auto& workspace : station.app.workspaces) workspaces.push_back(workspace.get());
    bool ran = false;
    std::optional<IndexChoice> builderChoice;
    int builderSelection = -1;
    std::string builderProduct;
    station.answerDialog = [&](QDialog& window) {
        if (auto* builder = qobject_cast<CStrategyBuilderDlg*>(&window)) {
            builderProduct = activeWorkspace()->productName;
            const auto kind = [builder](const char* list) -> std::optional<StudyKind> {
                const auto* entry = builder->findChild<QComboBox*>(list);
                if (entry->currentIndex() < 0) return std::nullopt;
                return studyKindFromListText(entry->currentText().toStdString());
            };
            const bool use2nd = builder->findChild<QCheckBox*>("1014")->isChecked();
            const bool use3rd = builder->findChild<QCheckBox*>("1015")->isChecked();
            builderChoice = IndexChoice{kind("1021"), use2nd, use2nd ? kind("1022") : std::nullopt, use3rd,
                                        use3rd ? kind("1023") : std::nullopt};
            builderSelection = builder->findChild<QComboBox*>("selection")->currentIndex();
            return int(QDialog::Rejected);
        }
        auto* dialog = qobject_cast<CScanDlg*>(&window);
        if (dialog == nullptr) return int(QDialog::Rejected);
        [&] {
            QCOMPARE(dialog->parentWidget(), station.frame());
            // The active view's product is the one chosen at first.
            QCOMPARE(dialog->chosenProducts(), std::vector<std::string>{"AUD/JPY"});
            chooseTinyScan(*dialog);
            dialog->findChild<QComboBox*>("selection")->setCurrentIndex(1);  // plateau
            QCOMPARE(dialog->chosenProducts(), (std::vector<std::string>{"USD/JPY", "AUD/JPY"}));
            // Each base alone, with each filter, and with both filters in either order.
            QCOMPARE(dialog->readOptions().combinations.size(), std::size_t(10));
            dialog->resize(1000, 760);
            dialog->show();
            QVERIFY(runAndWait(*dialog));
            QVERIFY(dialog->result().has_value());

            const ScanResult expected = scanOnItsOwn(workspaces, dialog->readOptions());
            QCOMPARE(int(expected.outcome), int(RunOutcome::Done));
            QCOMPARE(expected.rows.size(), std::size_t(20));
            auto* table = dialog->findChild<QTableWidget*>("scanTable");
            QCOMPARE(table->rowCount(), 20);
            const std::vector<std::string> columns = scanColumns(true, false);
            QCOMPARE(table->columnCount(), int(columns.size()));
            std::vector<QStringList> expectedRows;
            const std::vector<std::size_t> ranked = rankedRows(expected);
            for (std::size_t rank = 0; rank < ranked.size(); ++rank) {
                QStringList cells;
                for (const std::string& cell : scanCells(expected, ranked[rank], rank + 1))
                    cells << QString::fromStdString(cell);
                expectedRows.push_back(cells);
                QCOMPARE(rowTexts(*table, static_cast<int>(rank)), cells);  // ranked order at first
            }
            QCOMPARE(dialog->findChild<QLabel*>("sentence")->text(),
                     QString::fromStdString(scanFamilySentence(expected)));
            QVERIFY(dialog->saveCsv(station.startFile("scan.csv")));
            QCOMPARE(station.readStartFile("scan.csv"), QByteArray::fromStdString(scanCsv(expected)));

            // A click on the in-sample net's header sorts by value (a text sort
            // would put -5 after -40), a second click the other way; every row stays whole.
            const int net = 3;
            for (const bool ascending : {true, false}) {
                clickHeader(*table, net);
                for (int row = 1; row < table->rowCount(); ++row) {
                    const double before = table->item(row - 1, net)->text().toDouble();
                    const double after = table->item(row, net)->text().toDouble();
                    QVERIFY2(ascending ? before <= after : before >= after,
                             qPrintable(table->item(row - 1, net)->text() + " / " + table->item(row, net)->text()));
                }
                std::vector<QStringList> shown;
                for (int row = 0; row < table->rowCount(); ++row) shown.push_back(rowTexts(*table, row));
                QVERIFY(std::is_permutation(shown.begin(), shown.end(), expectedRows.begin(), expectedRows.end()));
            }

            // The picture: a row per base, a column per filter choice, each product's adjusted p.
            auto* picture = dialog->findChild<ScanPicture*>("scanPicture");
            QCOMPARE(picture->grids().size(), std::size_t(2));
            for (const AdjustedPGrid& grid : picture->grids()) {
                QCOMPARE(grid.bases, QStringList({"MACD", "Linear Regression"}));
                QCOMPARE(grid.filterChoices, QStringList({"no filter", "ROC", "ROC+NDIST", "NDIST", "NDIST+ROC"}));
            }
            for (const ScanRow& row : expected.rows) {
                const AdjustedPGrid& grid = picture->grids()[row.product == "USD/JPY" ? 0 : 1];
                QCOMPARE(grid.product, QString::fromStdString(row.product));
                const int base = row.combination.base == StudyKind::Macd ? 0 : 1;
                const int column = grid.filterChoices.indexOf(filterChoiceLabel(row.combination));
                QVERIFY(row.adjustedPValue.has_value());
                QCOMPARE(grid.at(base, column), *row.adjustedPValue);
            }

            // "Build this model" on a USD/JPY row with both filters: the builder
            // opens on that product's view with the combination and the selection.
            auto* build = dialog->findChild<QPushButton*>("buildThisModel");
            QVERIFY(!build->isEnabled());
            const QString bothFilters = QString::fromStdString(combinationName(
                {StudyKind::LinearRegression, StudyKind::NormalDistribution, StudyKind::RateOfChange}));
            int chosenRow = -1;
            for (int row = 0; row < table->rowCount() && chosenRow < 0; ++row)
                if (table->item(row, 1)->text() == "USD/JPY" && table->item(row, 2)->text() == bothFilters) chosenRow = row;
            QVERIFY(chosenRow >= 0);
            QCOMPARE(activeWorkspace()->productName, std::string("AUD/JPY"));
            table->selectRow(chosenRow);
            QVERIFY(build->isEnabled());
            build->click();
            QCOMPARE(builderProduct, std::string("USD/JPY"));
            QCOMPARE(builderChoice, (IndexChoice{StudyKind::LinearRegression, true, StudyKind::NormalDistribution, true,
                                                 StudyKind::RateOfChange}));
            QCOMPARE(builderSelection, 1);
            QVERIFY(station.messages.isEmpty());
            ran = true;
        }();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::scanMenu);
    QVERIFY(ran);
}

// Nothing to scan is refused before anything runs; Cancel and closing the
// window stop a running scan and keep nothing.
void ScanDlgTest::refusesAndStopsAsAsked() {
    TradeModelStation station;
    QVERIFY(station.openBundledSample());
    CScanDlg dialog({activeWorkspace()}, activeWorkspace(), station.app.startDirectory, station.frame());
    tickOnly(dialog, "bases", {});
    dialog.run();
    tickOnly(dialog, "products", {});
    tickOnly(dialog, "bases", {"MACD"});
    dialog.run();
    QCOMPARE(station.messages, QStringList({"Tick at least one base index.",
                                            "Tick at least one product: the scan runs on the open histories ticked "
                                            "under Products."}));
    QVERIFY(!dialog.isRunning());

    // The whole family on the full history with 200 permutations takes long enough to be stopped.
    tickOnly(dialog, "products", {"USD/JPY"});
    for (const bool byClosing : {false, true}) {
        QSignalSpy finished(&dialog, &CScanDlg::runFinished);
        dialog.findChild<QPushButton*>("run")->click();
        QVERIFY(dialog.isRunning());
        if (byClosing) {
            dialog.reject();
            QCOMPARE(finished.count(), 1);
        } else {
            dialog.findChild<QPushButton*>("cancelRun")->click();
            QVERIFY(finished.wait(300000));
        }
        QVERIFY(!dialog.isRunning());
        QVERIFY(!dialog.result().has_value());
        QCOMPARE(dialog.findChild<QTableWidget*>("scanTable")->rowCount(), 0);
        QVERIFY(!dialog.findChild<QPushButton*>("saveCsv")->isEnabled());
        QCOMPARE(dialog.findChild<QProgressBar*>("runProgress")->format(), QStringLiteral("Cancelled: nothing kept"));
    }
    QCOMPARE(station.messages.size(), 2);
}

// With VARKEL_SCREENSHOT_DIR set (scripts/screenshot-scan): the bundled
// USD/JPY and AUD/JPY samples, every base and filter, saved as the README's picture.
void ScanDlgTest::pictureForTheReadme() {
    if (!qEnvironmentVariableIsSet("VARKEL_SCREENSHOT_DIR")) QSKIP("only for scripts/screenshot-scan");
    TradeModelStation station;
    QVERIFY(station.openBundledSample());
    station.frame()->dispatch(cmd::fileNew);
    QVERIFY(station.open("AUD/JPY", VARKEL_SAMPLES_DIR "/AUD_JPY.txt"));
    std::vector<ChartWorkspace*> workspaces;
    for (const auto& workspace : station.app.workspaces) workspaces.push_back(workspace.get());
    CScanDlg dialog(workspaces, activeWorkspace(), station.app.startDirectory, station.frame());
    tickOnly(dialog, "products", {"USD/JPY", "AUD/JPY"});
    dialog.findChild<QSpinBox*>("permutations")->setValue(qEnvironmentVariableIntValue("VARKEL_SCAN_PERMUTATIONS") > 0
                                                               ? qEnvironmentVariableIntValue("VARKEL_SCAN_PERMUTATIONS")
                                                               : 20);
    dialog.resize(1100, 820);
    dialog.show();
    QVERIFY(runAndWait(dialog, 3600000));  // minutes on a busy machine
    dialog.findChild<QTableWidget*>("scanTable")->selectRow(0);
    QTest::qWait(400);  // the picture's queued redraw
    const QString path = QDir(qEnvironmentVariable("VARKEL_SCREENSHOT_DIR")).filePath("screenshot-scan.png");
    QVERIFY2(dialog.grab().save(path, "PNG"), qPrintable(path));
    qInfo("%s", qPrintable(dialog.findChild<QLabel*>("sentence")->text()));
    qInfo("%s", qPrintable(dialog.findChild<QProgressBar*>("runProgress")->text()));
}

QTEST_MAIN(ScanDlgTest)
#include "scan_dlg_test.moc"
