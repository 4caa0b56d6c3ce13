#include "ui_test_support.h"

#include "app/command_ids.h"
#include "app/open_flow.h"
#include "app/recent_files.h"
#include "windows/data/import_dlg.h"
#include "workbench/chart_workspace.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

const QString fixtures = QStringLiteral(VARKEL_TEST_DATA_DIR "/import/");

// The six days of the fixtures in hundredths, rounded half away from zero
// (108.005 -> 10801, 105.995 -> 10600); the repeated 2008.01.16 of the broker
// export counts once.
const QByteArray fixtureDays =
    "20080114,10677,10792,10592,10763\n"
    "20080115,10763,10801,10612,10678\n"
    "20080116,10678,10700,10555,10600\n"
    "20080117,10600,10650,10510,10600\n"
    "20080118,10600,10630,10500,10610\n"
    "20080121,10610,10610,10400,10450\n";

struct Entries {
    QString source;
    int format = 0;  // Auto, Broker, Ohlc
    QString product = QStringLiteral("USD/JPY");
    QString target;  // empty: the default the product gives
};

// Fills the dialog and presses Import; returns the dialog's result.
int importWith(QDialog& dialog, const Entries& entries) {
    dialog.findChild<QLineEdit*>("importSource")->setText(entries.source);
    dialog.findChild<QComboBox*>("importFormat")->setCurrentIndex(entries.format);
    dialog.findChild<QComboBox*>("importProduct")->setEditText(entries.product);
    if (!entries.target.isEmpty()) dialog.findChild<QLineEdit*>("importTarget")->setText(entries.target);
    dialog.findChild<QPushButton*>("1")->click();
    return dialog.result();
}

}  // namespace

class ImportDlgTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void importsEachFixtureAndSaysWhatItDid();
    void importedFileOpensInANewViewWhenAsked();
    void badEntriesKeepTheDialogOpenAndWriteNothing();
    void theShownHistoryIsNeverTheDefaultAndEnterKeepsIt();

private:
    QString originalDirectory_;
};

// The workstation's start directory is the working directory it starts in.
void ImportDlgTest::init() {
    originalDirectory_ = QDir::currentPath();
}

void ImportDlgTest::cleanup() {
    QDir::setCurrent(originalDirectory_);
}

void ImportDlgTest::importsEachFixtureAndSaysWhatItDid() {
    struct Case {
        QString file;
        int format;
        QString report;
    };
    const Case cases[] = {
        {"broker.csv", 0,
         "Format: broker export (detected)\nSkipped 2 lines:\nline 4: repeated date\nline 8: a price is not a "
         "positive decimal number"},
        {"ohlc.csv", 2, "Format: OHLC CSV\nNo line skipped."},
        {"ohlc_semicolon.csv", 0, "Format: OHLC CSV (detected)\nNo line skipped."},
    };
    for (const Case& c : cases) {
        const QTemporaryDir start;
        QDir::setCurrent(start.path());
        Workstation station;
        station.answerQuestion = [](const QString&) { return false; };
        const QString target = QDir(start.path()).filePath("data/USD_JPY.txt");
        int result = -1;
        QString defaultTarget;
        station.answerDialog = [&](QDialog& dialog) {
            // The product names the default target in the start directory's data folder.
            dialog.findChild<QComboBox*>("importProduct")->setEditText("USD/JPY");
            defaultTarget = dialog.findChild<QLineEdit*>("importTarget")->text();
            return result = importWith(dialog, {fixtures + c.file, c.format, "USD/JPY", QString()});
        };
        const std::size_t views = station.app.workspaces.size();
        station.frame()->dispatch(cmd::importMenu);
        QCOMPARE(defaultTarget, target);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(fileBytes(target), fixtureDays);
        QCOMPARE(station.questions,
                 QStringList({"Wrote 6 bars (20080114 to 20080121) to " + target + "\n" + c.report +
                              "\n\nOpen it in a new view?"}));
        QCOMPARE(station.messages, QStringList());
        QCOMPARE(station.app.workspaces.size(), views);  // answered No: no new view
    }
}

void ImportDlgTest::importedFileOpensInANewViewWhenAsked() {
    Workstation station;
    const QString target = station.directory.filePath("eur.txt");
    station.answerQuestion = [](const QString&) { return true; };
    station.answerDialog = [&](QDialog& dialog) {
        return importWith(dialog, {fixtures + "ohlc.csv", 0, "EUR/JPY", target});
    };
    station.frame()->dispatch(cmd::importMenu);
    const ChartWorkspace* workspace = activeWorkspace();
    QVERIFY(workspace != nullptr && workspace->hasPriceChart);
    QCOMPARE(workspace->productName, std::string("EUR/JPY"));
    QCOMPARE(workspace->barsTotal, 7);  // six days and the next-day bar
    QCOMPARE(workspace->maxHigh, 108.01);
    QCOMPARE(station.app.recentFiles().files().value(0), QFileInfo(target).absoluteFilePath());
}

// Each refusal names its reason in a message and beside the entries, and
// writes nothing: a new target is not made, an existing one keeps its content
// even when the user has agreed to replace it.
void ImportDlgTest::badEntriesKeepTheDialogOpenAndWriteNothing() {
    Workstation station;
    const QByteArray kept = "20240102,12031,12110,12009,12100\n";
    const QString existing = station.writeFile("kept.txt", kept);
    const QString fresh = station.directory.filePath("fresh.txt");
    const QString unknown = station.writeFile("unknown.csv", "Time;Bid;Ask\n09:00;1;2\n");
    const QString noBars = station.writeFile("nobars.csv", "Date,Open,High,Low,Close\n2008-01-14,x,1,1,1\n");
    const QString missing = station.directory.filePath("missing.csv");
    const QString replace = existing + " already exists.\nReplace it with the imported history?";
    const QString notAFormat =
        ": the first line is neither a broker export bar (YYYY.MM.DD,HH:MM,open,...) nor a header naming Date, "
        "Open, High, Low and Close. Nothing was written.";
    struct Case {
        Entries entries;
        bool replaceAnswer;
        QStringList messages;
        QString focus;
    };
    const Case cases[] = {
        {{"", 0, "USD/JPY", fresh}, true, {"Choose the exported file to import."}, "importSource"},
        {{unknown, 0, "", fresh}, true, {"Choose the product the history belongs to."}, "importProduct"},
        {{existing, 0, "USD/JPY", existing}, true,
         {"The price file to write is the exported file itself; choose another."}, "importTarget"},
        {{missing, 0, "USD/JPY", fresh}, true, {"Cannot read " + missing}, "importSource"},
        {{unknown, 0, "USD/JPY", fresh}, true, {"unknown.csv" + notAFormat}, "importSource"},
        // A broker export read as a CSV has no header to go by.
        {{fixtures + "broker.csv", 2, "USD/JPY", existing}, true, {replace, "broker.csv" + notAFormat},
         "importSource"},
        {{noBars, 0, "USD/JPY", existing}, true,
         {replace,
          "nobars.csv: no line gave a bar; nothing was written.\nSkipped 1 line:\nline 2: a price is not a positive "
          "decimal number"},
         "importSource"},
        {{fixtures + "ohlc.csv", 0, "USD/JPY", existing}, false, {replace}, "importTarget"},
    };
    for (const Case& c : cases) {
        CImportDlg dialog(station.directory.path().toStdString());
        dialog.show();
        station.messages.clear();
        station.questions.clear();
        station.answerQuestion = [&c](const QString&) { return c.replaceAnswer; };
        QCOMPARE(importWith(dialog, c.entries), int(QDialog::Rejected));
        QVERIFY(dialog.isVisible());
        // The question to replace, when asked, comes before any message.
        QCOMPARE(station.questions + station.messages, c.messages);
        QCOMPARE(dialog.findChild<QLabel*>("importStatus")->text(), c.replaceAnswer ? c.messages.last() : QString());
        QCOMPARE(dialog.focusWidget() != nullptr ? dialog.focusWidget()->objectName() : QString("none"), c.focus);
        QCOMPARE(fileBytes(existing), kept);
        QVERIFY(!QFileInfo::exists(fresh));
    }
    // No temporary file is left behind either.
    QCOMPARE(QDir(station.directory.path()).entryList({"*kept*"}, QDir::Files | QDir::Hidden), QStringList({"kept.txt"}));
}

// The file an open view shows is not the default target; writing over it is
// asked with Enter answering No; replaced on Yes, the view shows the new
// history at once (before, Enter replaced 4,671 bars with two rows and the
// view kept showing them, so the next signal rewrote the model from bars no
// longer in the file).
void ImportDlgTest::theShownHistoryIsNeverTheDefaultAndEnterKeepsIt() {
    const QTemporaryDir start;
    QDir::setCurrent(start.path());
    Workstation station;
    QDir(start.path()).mkpath("data");
    const QString shown = QDir(start.path()).filePath("data/USD_JPY.txt");
    const QByteArray history = risingPrices(40);
    QFile file(shown);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(history);
    file.close();
    QVERIFY(openPriceFile(*activeWorkspace(), "USD/JPY", shown));
    QCOMPARE(activeWorkspace()->barsTotal, 41);

    QString defaultTarget;
    QString asked;
    QByteArray afterEnter;
    station.answerDialog = [&](QDialog& dialog) {
        dialog.findChild<QComboBox*>("importProduct")->setEditText("USD/JPY");
        defaultTarget = dialog.findChild<QLineEdit*>("importTarget")->text();
        // Enter on the real question box.
        seams().question = nullptr;
        seams().message = nullptr;
        QTimer::singleShot(0, [&] {
            QVERIFY(QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }));
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            asked = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        importWith(dialog, {fixtures + "ohlc.csv", 0, "USD/JPY", shown});
        afterEnter = fileBytes(shown);
        // Yes, on purpose this time; then No to a new view.
        seams().question = [&](const QString& text, const QString&) { return text.contains("Replace it"); };
        return importWith(dialog, {fixtures + "ohlc.csv", 0, "USD/JPY", shown});
    };
    station.frame()->dispatch(cmd::importMenu);
    QCOMPARE(defaultTarget, QDir(start.path()).filePath("data/USD_JPY-imported.txt"));
    QCOMPARE(asked, shown + " already exists.\nReplace it with the imported history?");
    QCOMPARE(afterEnter, history);
    QCOMPARE(fileBytes(shown), fixtureDays);
    QCOMPARE(activeWorkspace()->barsTotal, 7);  // six days and the next-day bar
}

QTEST_MAIN(ImportDlgTest)
#include "import_dlg_test.moc"
