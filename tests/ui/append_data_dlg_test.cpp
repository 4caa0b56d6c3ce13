#include "ui_test_support.h"

#include "windows/data/append_data_dlg.h"
#include "app/open_flow.h"
#include "windows/data/append_data_dlg.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace varkel;

namespace {

const QStringList entryIds = {"1047", "1048", "1049", "1050", "1051"};

QLineEdit* entry(QDialog& dialog, const QString& id) {
    return dialog.findChild<QLineEdit*>(id);
}

// Types date, open, high, low and close into the dialog and presses OK.
void typeBarAndConfirm(QDialog& dialog, const QStringList& values) {
    for (int i = 0; i < entryIds.size(); ++i) entry(dialog, entryIds[i])->setText(values.value(i));
    dialog.findChild<QPushButton*>("1")->click();
}

QByteArray fileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class AppendDataDlgTest : public QObject {
    Q_OBJECT
private slots:
    void entriesAreLabelledAndTakeDigitsOnly();
    void appendsTheTypedLineToTheChosenFile();
    void refusedEntriesKeepTheDialogOpenForCorrection();
    void cancelWritesNothing();
    void unopenableTargetIsReportedAndCloses();
    void theViewShowingTheFileReloadsIt();
    void enterOnTheFarCloseQuestionAppendsNothing();
    void mixedFormsAreRefused();
    void decimalPricesAreAppendedInHundredths();
    void impossibleDatesAreRefused();
    void aFarCloseIsAskedAbout();
};

void AppendDataDlgTest::entriesAreLabelledAndTakeDigitsOnly() {
    CAppendDataDlg dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("150"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Append Price Data"));
    // A price may be typed in hundredths or with its decimal point: the labels say both.
    const QStringList labels = {"Date to be added", "Open Price (e.g. 12031 or 120.31)",
                                "High Price (e.g. 12110 or 121.10)", "Low Price (e.g. 12009 or 120.09)",
                                "Close Price (e.g. 12100 or 121.00)"};
    for (int i = 0; i < entryIds.size(); ++i) {
        QLineEdit* edit = entry(dialog, entryIds[i]);
        QVERIFY2(edit != nullptr, qPrintable(entryIds[i]));
        QString label;
        for (const QLabel* each : dialog.findChildren<QLabel*>())
            if (each->buddy() == edit) label = each->text();
        QCOMPARE(label, labels[i]);
        const bool rightAligned = edit->alignment().testFlag(Qt::AlignRight);
        QCOMPARE(rightAligned, i > 0);  // the prices, not the date
        QTest::keyClicks(edit, "12a.3-4 5");
        // A price keeps its decimal point (converted or refused on OK), a date does not.
        QCOMPARE(edit->text(), i > 0 ? QStringLiteral("12.345") : QStringLiteral("12345"));
    }
    QCOMPARE(dialog.findChild<QPushButton*>("2")->text(), QStringLiteral("CANCEL"));
    QVERIFY(dialog.findChild<QPushButton*>("1")->isDefault());
}

void AppendDataDlgTest::appendsTheTypedLineToTheChosenFile() {
    Workstation station;
    // The last line has no line end: the new bar must not join it.
    const QString existing = station.writeFile("usd.txt", "20240102,12031,12110,12009,12100");
    const QString fresh = station.directory.filePath("new.txt");
    QString target = existing;
    QStringList questions;
    seams().openFileQuestion = [&](const QString& caption, const QString& folder, const QString& filter) {
        questions << caption << folder << filter;
        return target;
    };
    bool closed = false;
    QStringList typed = {"20240103", "12100", "12200", "12050", "12150"};
    bool parentless = false;
    station.answerDialog = [&](QDialog& dialog) {
        parentless = dialog.parent() == nullptr;
        dialog.show();
        typeBarAndConfirm(dialog, typed);
        closed = !dialog.isVisible();
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QVERIFY(parentless);
    QVERIFY(closed);
    QCOMPARE(fileContent(existing),
             QByteArray("20240102,12031,12110,12009,12100\n20240103,12100,12200,12050,12150\n"));
    // The question names its task and starts where price files were opened, not in the working folder.
    QCOMPARE(questions, QStringList({"Append the bar to which price file?", openDialogFolder(),
                                     "Text Files (*.txt);;All Files (*)"}));

    // The toolbar button does the same; a file that does not exist is created.
    target = fresh;
    typed = {"20240104", "12031", "12110", "12009", "12100"};
    station.frame()->dispatch(32798);
    QCOMPARE(fileContent(fresh), QByteArray("20240104,12031,12110,12009,12100\n"));
    // Each append says what it wrote where.
    QCOMPARE(station.messages,
             QStringList({"Appended the line\n20240103,12100,12200,12050,12150\nto " + QDir::toNativeSeparators(existing),
                          "Appended the line\n20240104,12031,12110,12009,12100\nto " + QDir::toNativeSeparators(fresh)}));
    QCOMPARE(station.questions, QStringList());
}

void AppendDataDlgTest::refusedEntriesKeepTheDialogOpenForCorrection() {
    Workstation station;
    const QByteArray before = "20240102,12031,12110,12009,12100\n";
    const QString path = station.writeFile("usd.txt", before);
    station.chooseFile = [path] { return path; };
    // After each OK: still open?, the entry with the focus, file dialogs shown so far.
    QStringList steps;
    station.answerDialog = [&](QDialog& dialog) {
        const auto note = [&] {
            steps << QStringLiteral("%1 %2 %3")
                         .arg(dialog.isVisible() ? "open" : "closed", dialog.focusWidget()->objectName())
                         .arg(station.fileDialogs);
        };
        dialog.show();
        // Checked before any file is asked for: an empty open, then a high below the low.
        typeBarAndConfirm(dialog, {"20240103", "", "12110", "12009", "12100"});
        note();
        typeBarAndConfirm(dialog, {"20240103", "12031", "12000", "12009", "12100"});
        note();
        // The date is checked against the chosen file's last date.
        typeBarAndConfirm(dialog, {"20240102", "12031", "12110", "12009", "12100"});
        note();
        steps << QString::fromLatin1(fileContent(path) == before ? "unchanged" : "changed");
        entry(dialog, "1047")->setText("20240103");
        dialog.findChild<QPushButton*>("1")->click();
        steps << QString::fromLatin1(dialog.isVisible() ? "open" : "closed");
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QCOMPARE(steps, QStringList({"open 1048 0", "open 1049 0", "open 1047 1", "unchanged", "closed"}));
    QCOMPARE(station.messages.size(), 4);
    QVERIFY2(station.messages[0].contains("Open Price"), qPrintable(station.messages[0]));
    QVERIFY2(station.messages[1].contains("High Price"), qPrintable(station.messages[1]));
    QVERIFY2(station.messages[2].contains("20240102"), qPrintable(station.messages[2]));
    QCOMPARE(fileContent(path), before + "20240103,12031,12110,12009,12100\n");
}

void AppendDataDlgTest::cancelWritesNothing() {
    Workstation station;
    const QByteArray before = "20240102,12031,12110,12009,12100\n";
    const QString path = station.writeFile("usd.txt", before);
    station.chooseFile = [] { return QString(); };  // the file dialog is cancelled
    QStringList closedBy;
    station.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        for (int i = 0; i < entryIds.size(); ++i) entry(dialog, entryIds[i])->setText("12050");
        dialog.findChild<QPushButton*>("2")->click();
        if (!dialog.isVisible()) closedBy << "CANCEL";
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    station.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        typeBarAndConfirm(dialog, {"20240103", "12031", "12110", "12009", "12100"});
        if (!dialog.isVisible()) closedBy << "file dialog cancelled";
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QCOMPARE(closedBy, QStringList({"CANCEL", "file dialog cancelled"}));
    QCOMPARE(station.fileDialogs, 1);
    QCOMPARE(fileContent(path), before);
    QCOMPARE(station.messages, QStringList());
}

void AppendDataDlgTest::unopenableTargetIsReportedAndCloses() {
    Workstation station;
    const QString path = station.directory.filePath("no-such-folder/usd.txt");
    station.chooseFile = [path] { return path; };
    bool closed = false;
    station.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        typeBarAndConfirm(dialog, {"20240103", "12031", "12110", "12009", "12100"});
        closed = !dialog.isVisible();
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QCOMPARE(station.messages, QStringList({"Failed to open target file with append mode"}));
    QVERIFY(closed);
    QVERIFY(!QFile::exists(path));
}

// The view that shows the appended file reloads it: the price chart, a study
// chart and what reads the bars next end with the new bar; a view of another
// file stays as it was.
void AppendDataDlgTest::theViewShowingTheFileReloadsIt() {
    Workstation station;
    const QString other = station.writeFile("other.txt", risingPrices(30));
    const QString path = station.writeFile("usd.txt", risingPrices(60));
    const auto openInNewView = [&](const QString& product, const QString& file) {
        station.frame()->newDocument();
        return openPriceFile(*activeWorkspace(), product, file);
    };
    QVERIFY(openInNewView("EUR/JPY", other));
    const ChartWorkspace* untouched = activeWorkspace();
    QVERIFY(openInNewView("USD/JPY", path));
    ChartWorkspace* workspace = activeWorkspace();
    station.answerDialog = [](QDialog& dialog) {
        dialog.findChild<QPushButton*>("1")->click();  // RSI 14
        return dialog.result();
    };
    station.frame()->dispatch(32779);
    const StudyChart* rsi = workspace->studyCharts.at(0).get();
    const int barsBefore = workspace->barsTotal;
    station.messages.clear();  // the data-quality reports of the opens

    // The question offers the active chart's own file.
    QString offered;
    seams().openFileQuestion = [&](const QString&, const QString& folder, const QString&) {
        offered = folder;
        return path;
    };
    station.answerDialog = [](QDialog& dialog) {
        typeBarAndConfirm(dialog, {"20000101", "16000", "16100", "15950", "16050"});
        return dialog.result();
    };
    station.frame()->dispatch(32798);
    QCOMPARE(QFileInfo(offered).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
    QVERIFY(fileContent(path).endsWith("20000101,16000,16100,15950,16050\n"));
    QCOMPARE(workspace->barsTotal, barsBefore + 1);
    const Product& product = *workspace->registry.findProduct("USD/JPY");
    const Bar& added = product.bars[std::size_t(product.historyLength() - 1)];
    QCOMPARE(added.dateText, std::string("20000101"));
    QCOMPARE(added.close, 160.50);
    QVERIFY(added.maShort > 0.0 && added.rsi > 0.0);  // the studies ran again
    const auto* chart = dynamic_cast<const CChartFX*>(workspace->priceChart);
    const auto* rsiChart = dynamic_cast<const CChartFX*>(rsi->chart);
    for (const CChartFX* each : {chart, rsiChart}) {
        QCOMPARE(each->pointLabel(product.historyLength() - 1), QStringLiteral("20000101"));
    }
    QCOMPARE(rsiChart->value(0, product.historyLength() - 1), added.rsi);
    QCOMPARE(untouched->registry.findProduct("EUR/JPY")->historyLength(), 30);
    QCOMPARE(station.messages.size(), 1);  // the line appended, nothing else
}

// Enter on the question about a far close answers No: nothing is appended.
void AppendDataDlgTest::enterOnTheFarCloseQuestionAppendsNothing() {
    Workstation station;
    const QByteArray before = "20240715,15836,15840,15775,15831\n";
    const QString path = station.writeFile("usdjpy.txt", before);
    station.chooseFile = [path] { return path; };
    seams().question = nullptr;  // the real question box, answered by its default button
    seams().message = nullptr;
    QString asked;
    QTimer::singleShot(0, [&] {
        QVERIFY(QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        asked = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    CAppendDataDlg dialog;
    typeBarAndConfirm(dialog, {"20240716", "15830", "19000", "15800", "19000"});
    QCOMPARE(asked, QStringLiteral("The new close 190.00 is 20.0 % away from the file's last close 158.31.\n"
                                   "Append it all the same?"));
    QCOMPARE(fileContent(path), before);
}

// 158.30 beside 190 would be read in two units; the dialog says so instead.
void AppendDataDlgTest::mixedFormsAreRefused() {
    Workstation station;
    const QString path = station.writeFile("usdjpy.txt", "20240715,15836,15840,15775,15831\n");
    station.chooseFile = [path] { return path; };
    CAppendDataDlg dialog;
    dialog.show();
    typeBarAndConfirm(dialog, {"20240716", "158.30", "190", "158.00", "159.00"});
    QCOMPARE(station.messages, QStringList({"Type the four prices in one form: all with a decimal point (158.30) "
                                            "or all in hundredths (15830)."}));
    QCOMPARE(dialog.focusWidget()->objectName(), QStringLiteral("1049"));
    QCOMPARE(station.fileDialogs, 0);
    QCOMPARE(fileContent(path), QByteArray("20240715,15836,15840,15775,15831\n"));
}

// 158.3 typed as a price is 158.30 yen: 15830 hundredths, not 1583.
void AppendDataDlgTest::decimalPricesAreAppendedInHundredths() {
    Workstation station;
    const QByteArray before = "20240715,15836,15840,15775,15831\n";
    const QString path = station.writeFile("usdjpy.txt", before);
    station.chooseFile = [path] { return path; };
    QStringList focus;
    station.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        for (int i = 0; i < entryIds.size(); ++i)
            QTest::keyClicks(entry(dialog, entryIds[i]), QStringList({"20240716", "158.3", "158.456", "157.9", "158.31"})[i]);
        dialog.findChild<QPushButton*>("1")->click();  // the high has three decimals
        focus << dialog.focusWidget()->objectName() << entry(dialog, "1049")->selectedText();
        entry(dialog, "1049")->setText("158.45");
        dialog.findChild<QPushButton*>("1")->click();
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QCOMPARE(focus, QStringList({"1049", "158.456"}));
    QCOMPARE(fileContent(path), before + "20240716,15830,15845,15790,15831\n");
    QCOMPARE(station.messages.size(), 2);
    QVERIFY2(station.messages[0].contains("more than two decimals"), qPrintable(station.messages[0]));
}

void AppendDataDlgTest::impossibleDatesAreRefused() {
    Workstation station;
    const QByteArray before = "20240715,15836,15840,15775,15831\n";
    const QString path = station.writeFile("usdjpy.txt", before);
    station.chooseFile = [path] { return path; };
    QStringList stillOpen;
    station.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        for (const char* date : {"20241345", "716", "20240230"}) {
            typeBarAndConfirm(dialog, {date, "15830", "15845", "15790", "15831"});
            if (dialog.isVisible() && dialog.focusWidget() == entry(dialog, "1047")) stillOpen << date;
        }
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QCOMPARE(stillOpen, QStringList({"20241345", "716", "20240230"}));
    QCOMPARE(station.fileDialogs, 0);
    QCOMPARE(fileContent(path), before);
}

void AppendDataDlgTest::aFarCloseIsAskedAbout() {
    Workstation station;
    const QByteArray before = "20240715,15836,15840,15775,15831\n";
    const QString path = station.writeFile("usdjpy.txt", before);
    station.chooseFile = [path] { return path; };
    station.answerQuestion = [](const QString&) { return false; };
    QString focusAfterNo;
    station.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        // 15.83 typed for 158.30: nine tenths below the last close.
        typeBarAndConfirm(dialog, {"20240716", "1580", "1590", "1575", "1583"});
        focusAfterNo = dialog.isVisible() ? dialog.focusWidget()->objectName() : QString();
        station.answerQuestion = [](const QString&) { return true; };
        dialog.findChild<QPushButton*>("1")->click();
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QCOMPARE(focusAfterNo, QStringLiteral("1051"));
    QCOMPARE(station.questions.size(), 2);
    QCOMPARE(station.questions[0], QStringLiteral("The new close 15.83 is -90.0 % away from the file's last close "
                                                  "158.31.\nAppend it all the same?"));
    QCOMPARE(fileContent(path), before + "20240716,1580,1590,1575,1583\n");

    // A close within ten per cent is not asked about.
    station.questions.clear();
    station.answerDialog = [&](QDialog& dialog) {
        typeBarAndConfirm(dialog, {"20240717", "1600", "1700", "1500", "1700"});
        return dialog.result();
    };
    station.frame()->dispatch(32797);
    QCOMPARE(station.questions, QStringList());
}

QTEST_MAIN(AppendDataDlgTest)
#include "append_data_dlg_test.moc"
