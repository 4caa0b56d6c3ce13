#include "ui_test_support.h"

#include "app/chart_view.h"
#include "app/command_ids.h"
#include "app/recent_files.h"
#include "chart/chart_control.h"
#include "windows/data/product_name_dlg.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/tab_strip.h"

#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {

// Answers the Product Name dialog with `product` and presses OK; the dialog's
// result says whether it closed.
auto nameProduct(const QString& product, int* result = nullptr) {
    return [product, result](QDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>("1003");
        if (combo == nullptr) return int(QDialog::Rejected);  // not the Product Name dialog
        combo->setEditText(product);
        dialog.findChild<QPushButton*>("1")->click();
        if (result != nullptr) *result = dialog.result();
        return dialog.result();
    };
}

// A price line whose close is 1.00 higher for each step of `rise`, far from
// any spike, flat run or impossible price.
QByteArray risingBar(int date, int rise) {
    const int low = 10000 + 100 * rise;
    return QByteArray::number(date) + "," + QByteArray::number(low + 20) + "," + QByteArray::number(low + 50) + "," +
           QByteArray::number(low) + "," + QByteArray::number(low + 30) + "\n";
}

CChartFX* priceChartOf(const ChartWorkspace* workspace) {
    return dynamic_cast<CChartFX*>(workspace->priceChart);
}

}  // namespace

class OpenFlowTest : public QObject {
    Q_OBJECT
private slots:
    void productListIsSortedAndStartsEmpty();
    void opensOneBarFileAsTwoPoints();
    void emptyProductKeepsTheDialogOpen();
    void cancelledFileDialogOpensNothing();
    void secondProductIsRefusedAfterTheFileDialog();
    void refusedLinesAreReportedAfterTheChart();
    void dataQualityFindingsAreReportedAndChangeNothing();
    void unreadableFileShowsAnEmptyChartAndSaysSo();
    void endlessFileIsRefusedWithTheReason();
    void sampleHistoryGetsItsMovingAverages();
    void aRecentFileOffersTheProductItsNameSpells();
};

void OpenFlowTest::productListIsSortedAndStartsEmpty() {
    Workstation station;
    CProductNameDlg dialog(nullptr);
    QComboBox* combo = dialog.findChild<QComboBox*>("1003");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    QCOMPARE(items, QStringList({"AUD/JPY", "EUR/JPY", "GBP/JPY", "USD/JPY"}));
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->currentText(), QString());
    QCOMPARE(dialog.findChild<QPushButton*>("2")->text(), QStringLiteral("CANCEL"));
}

void OpenFlowTest::opensOneBarFileAsTwoPoints() {
    Workstation station;
    const QString path = station.writeFile("one.txt", "20240102,12031,12110,12009,12100\n");
    station.chooseFile = [path] { return path; };
    station.answerDialog = nameProduct("USD/JPY");
    station.frame()->dispatch(57601);

    const ChartWorkspace* workspace = activeWorkspace();
    QVERIFY(workspace->hasPriceChart);
    QCOMPARE(workspace->productName, std::string("USD/JPY"));
    QCOMPARE(workspace->barsTotal, 2);
    QCOMPARE(workspace->barsShown, 2);
    QCOMPARE(workspace->maxHigh, 121.10);
    QCOMPARE(workspace->minLow, 120.09);
    QCOMPARE(workspace->productTab->count(), 1);
    QCOMPARE(workspace->productTab->tabText(0), QStringLiteral("USD/JPY"));
    QCOMPARE(station.messages, QStringList());

    const CChartFX* chart = priceChartOf(workspace);
    QVERIFY(chart != nullptr && chart->isVisible());
    QCOMPARE(chart->parentWidget(), static_cast<QWidget*>(workspace->productTab));
    QCOMPARE(chart->geometry(), QRect(0, 25, workspace->productTab->width(), workspace->productTab->height() - 25));
    QCOMPARE(chart->pointCount(), 2);
    QCOMPARE(chart->value(0, 0), 120.09);  // low
    QCOMPARE(chart->value(1, 0), 120.31);  // open
    QCOMPARE(chart->value(2, 0), 121.00);  // close
    QCOMPARE(chart->value(3, 0), 121.10);  // high
    QCOMPARE(chart->value(4, 0), varkel::hiddenValue);  // one bar: no average yet
    for (int series = 0; series < 6; ++series) QCOMPARE(chart->value(series, 1), varkel::hiddenValue);
    QCOMPARE(chart->pointLabel(0), QStringLiteral("20240102"));
    QCOMPARE(chart->pointLabel(1), QString());
    const CChartFX::PlotRange range = chart->plotRange();
    QCOMPARE(range.xMin, 0.0);
    QCOMPARE(range.xMax, 12.0);
    QVERIFY(qAbs(range.yMin - 118.09) < 1e-9);
    QVERIFY(qAbs(range.yMax - 123.10) < 1e-9);
    QCOMPARE(chart->title(), QStringLiteral("Moving Avr (20,40)"));
    // Prices read with two decimals, as a trader writes them.
    QCOMPARE(chart->describePoint(0), QStringLiteral("20240102    O 120.31  H 121.10  L 120.09  C 121.00"));
    QCOMPARE(station.frame()->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("USD/JPY"));
    QCOMPARE(station.app.recentFiles().files().value(0), QFileInfo(path).absoluteFilePath());
}

void OpenFlowTest::emptyProductKeepsTheDialogOpen() {
    Workstation station;
    int result = -1;
    station.answerDialog = nameProduct("", &result);
    station.frame()->dispatch(57601);
    QCOMPARE(station.messages, QStringList({"No Trade Product Selected."}));
    QCOMPARE(result, int(QDialog::Rejected));  // not closed by OK
    QCOMPARE(station.fileDialogs, 0);
}

void OpenFlowTest::cancelledFileDialogOpensNothing() {
    Workstation station;
    station.answerDialog = nameProduct("EUR/JPY");
    station.frame()->dispatch(57601);
    QCOMPARE(station.fileDialogs, 1);
    QVERIFY(!activeWorkspace()->hasPriceChart);
    QVERIFY(activeWorkspace()->productName.empty());
    QVERIFY(station.messages.isEmpty());
}

void OpenFlowTest::secondProductIsRefusedAfterTheFileDialog() {
    Workstation station;
    const QString path = station.writeFile("one.txt", "20240102,12031,12110,12009,12100\n");
    station.chooseFile = [path] { return path; };
    station.answerDialog = nameProduct("USD/JPY");
    station.frame()->dispatch(57601);
    station.answerDialog = nameProduct("EUR/JPY");
    station.frame()->dispatch(57601);
    QCOMPARE(station.fileDialogs, 2);
    QCOMPARE(station.messages, QStringList({"Product has been on the tab"}));
    QCOMPARE(activeWorkspace()->productName, std::string("USD/JPY"));
    QCOMPARE(activeWorkspace()->registry.productCount(), 1);

    // A second view takes the second product.
    station.frame()->dispatch(57600);
    station.frame()->dispatch(57601);
    QCOMPARE(activeWorkspace()->productName, std::string("EUR/JPY"));
    QCOMPARE(station.app.workspaces.size(), std::size_t(2));
}

void OpenFlowTest::refusedLinesAreReportedAfterTheChart() {
    Workstation station;
    const QString path = station.writeFile("mixed.txt",
                                           "Date,Open,High,Low,Close\n"
                                           "20240102,12031,12110,12009,12100\n"
                                           "20240103,12100,x,12050,12080\n"
                                           "\n"
                                           "20240104,12080,12150,12070,12140\n");
    station.chooseFile = [path] { return path; };
    station.answerDialog = [&](QDialog& dialog) {
        const int answer = nameProduct("USD/JPY")(dialog);
        // The chart is already shown when the message comes.
        seams().detailedMessage = [&](const QString& text, const QString&) {
            QVERIFY(activeWorkspace()->hasPriceChart);
            station.messages << text;
        };
        return answer;
    };
    station.frame()->dispatch(57601);
    const QString unreadable = ": not loaded: the price fields are missing or not numbers, or the date is too long";
    QCOMPARE(station.messages, QStringList({"mixed.txt: 2 bars, 2 findings: 2 unreadable lines\n\nline 1" +
                                            unreadable + "\nline 3" + unreadable}));
    QCOMPARE(activeWorkspace()->barsTotal, 3);
}

// Ten days in a row, a week and a half without bars, then the last day pasted
// ten times more: a gap and ten repeated dates, eleven findings, of which the
// message lists eight and the details all. Without the gap and the copies the
// file is clean and nothing is said.
void OpenFlowTest::dataQualityFindingsAreReportedAndChangeNothing() {
    QByteArray clean;
    for (int day = 1; day <= 10; ++day) clean += risingBar(20240100 + day, day);
    QByteArray faulty = clean + risingBar(20240120, 11);
    for (int copy = 0; copy < 10; ++copy) faulty += risingBar(20240120, 12 + copy);

    QStringList repeated;
    for (int line = 12; line <= 21; ++line)
        repeated << QStringLiteral("line %1 (20240120): not loaded: the same date as the bar before").arg(line);
    const QString gap = QStringLiteral("line 11 (20240120): gap of 10 calendar days since 20240110");
    struct Case {
        QByteArray content;
        int bars;
        QStringList messages;
        QStringList details;
    };
    const Case cases[] = {
        {clean, 10, {}, {}},
        {faulty, 11,
         {"faulty.txt: 11 bars, 11 findings: 10 repeated dates, 1 gap\n\n" + gap + "\n" +
          repeated.mid(0, 7).join('\n') + "\n... and 3 more"},
         {gap + "\n" + repeated.join('\n')}},
    };
    for (const Case& c : cases) {
        Workstation station;
        const QString path = station.writeFile(c.bars == 10 ? "clean.txt" : "faulty.txt", c.content);
        station.chooseFile = [path] { return path; };
        station.answerDialog = nameProduct("USD/JPY");
        station.frame()->dispatch(57601);
        QCOMPARE(station.messages, c.messages);
        QCOMPARE(station.details, c.details);
        // The history is loaded as it always was: the bars and the next-day bar.
        QCOMPARE(activeWorkspace()->barsTotal, c.bars + 1);
        QCOMPARE(fileBytes(path), c.content);
    }
}

void OpenFlowTest::unreadableFileShowsAnEmptyChartAndSaysSo() {
    Workstation station;
    const QString path = station.directory.filePath("missing.txt");
    station.chooseFile = [path] { return path; };
    station.answerDialog = nameProduct("GBP/JPY");
    station.frame()->dispatch(57601);
    QVERIFY(activeWorkspace()->hasPriceChart);
    QCOMPARE(priceChartOf(activeWorkspace())->pointCount(), 0);
    QCOMPARE(station.messages, QStringList({"Could not read the price file " + path}));
    QVERIFY(station.app.recentFiles().files().isEmpty());
}

void OpenFlowTest::endlessFileIsRefusedWithTheReason() {
    Workstation station;
    station.chooseFile = [] { return QStringLiteral("/dev/zero"); };
    station.answerDialog = nameProduct("GBP/JPY");
    station.frame()->dispatch(57601);
    QCOMPARE(station.messages, QStringList({"The price file /dev/zero is larger than 64 MB and is not read."}));
}

void OpenFlowTest::sampleHistoryGetsItsMovingAverages() {
    Workstation station;
    const QString path = QStringLiteral(VARKEL_FAULTY_HISTORIES_DIR "/EUR_JPY.txt");
    station.chooseFile = [path] { return path; };
    station.answerDialog = nameProduct("EUR/JPY");
    station.frame()->dispatch(57601);
    const ChartWorkspace* workspace = activeWorkspace();
    QCOMPARE(workspace->barsTotal, 5352);
    const CChartFX* chart = priceChartOf(workspace);
    QCOMPARE(chart->pointCount(), 5352);
    QCOMPARE(chart->value(4, 18), varkel::hiddenValue);
    QCOMPARE(chart->value(5, 38), varkel::hiddenValue);
    // The first 20-day average is the mean of the first 20 closes.
    const auto& bars = workspace->registry.findProduct("EUR/JPY")->bars;
    double sum = 0.0;
    for (int i = 0; i < 20; ++i) sum += bars[static_cast<std::size_t>(i)].close;
    QVERIFY(qAbs(chart->value(4, 19) - sum / 20) < 1e-9);
    QVERIFY(chart->value(5, 39) != varkel::hiddenValue);
    QCOMPARE(chart->pointLabel(5350), QStringLiteral("20240716"));
    // The data-quality report names what runs through the whole history before the bars.
    QVERIFY(!station.messages.isEmpty());
    QVERIFY2(station.messages.first().contains("3 history findings\n\nhistory: "), qPrintable(station.messages.first()));
}

// A recent file USD_JPY.txt offers USD/JPY in the Product Name dialog.
void OpenFlowTest::aRecentFileOffersTheProductItsNameSpells() {
    Workstation station;
    const QString path = station.writeFile("EUR_JPY.txt", risingBar(20240102, 0) + risingBar(20240103, 1));
    station.app.recentFiles().add(path);
    QString offered;
    station.answerDialog = [&](QDialog& dialog) {
        if (auto* combo = dialog.findChild<QComboBox*>("1003")) offered = combo->currentText();
        return nameProduct(offered)(dialog);
    };
    station.frame()->dispatch(cmd::recentFile1);
    QCOMPARE(offered, QStringLiteral("EUR/JPY"));
    QCOMPARE(activeWorkspace()->productName, std::string("EUR/JPY"));
}

QTEST_MAIN(OpenFlowTest)
#include "open_flow_test.moc"
