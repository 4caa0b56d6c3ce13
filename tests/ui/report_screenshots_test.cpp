// The builder, viewer and trade-signal dialogs opened through their commands,
// one after the other, on the USD/JPY sample. scripts/screenshot-dialogs sets
// VARKEL_SCREENSHOT_DIR to have the README pictures of the builder and the
// trade signal saved there; the builder then searches its full grids and the
// test tells how long that took.
#include "trade_model_station.h"

#include "app/command_ids.h"
#include "windows/model/strategy_builder_dlg.h"
#include "windows/report/performance_viewer_dlg.h"
#include "windows/report/trade_signal_dlg.h"
#include "workbench/chart_fx.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

namespace {

void choose(const QDialog& dialog, const char* listId, const QString& entry) {
    auto* list = dialog.findChild<QComboBox*>(QString::fromLatin1(listId));
    list->setCurrentIndex(list->findText(entry));
}

void saveShot(QWidget& window, const QString& name) {
    const QString directory = qEnvironmentVariable("VARKEL_SCREENSHOT_DIR");
    if (directory.isEmpty()) return;
    QTest::qWait(400);  // the charts' queued redraws
    const QString path = QDir(directory).filePath(name);
    QVERIFY2(window.grab().save(path, "PNG"), qPrintable(path));
}

}  // namespace

class ReportScreenshotsTest : public QObject {
    Q_OBJECT
private slots:
    void macdRocModelThroughBuilderViewerAndSignal();
};

void ReportScreenshotsTest::macdRocModelThroughBuilderViewerAndSignal() {
    TradeModelStation station;
    QVERIFY(station.openBundledSample());
    const bool fullBuild = qEnvironmentVariableIsSet("VARKEL_SCREENSHOT_DIR");
    QString baseReturn;

    station.answerDialog = [&](QDialog& dialog) {
        auto* builder = qobject_cast<CStrategyBuilderDlg*>(&dialog);
        if (builder == nullptr) return int(QDialog::Rejected);
        if (!fullBuild) {
            varkel::BuildGrids grids;
            grids.macd = {{4, 8}, 20, {7, 12}};
            grids.roc = {{1, 5}, {0.5, 0.1, 2.0}};
            builder->setGrids(grids);
        }
        choose(dialog, "1021", "MACD");
        dialog.findChild<QCheckBox*>("1014")->setChecked(true);
        choose(dialog, "1022", "Rate Of Change");
        dialog.resize(820, 640);
        dialog.show();
        QSignalSpy finished(builder, &CStrategyBuilderDlg::runFinished);
        dialog.findChild<QPushButton*>("1")->click();
        [&] { QVERIFY(finished.wait(600000)); }();
        if (fullBuild) qInfo("The full MACD + Rate Of Change build took %.1f s in the window", builder->lastBuildTime().count());
        baseReturn = dialog.findChild<QLabel*>("1024")->text();
        saveShot(dialog, "screenshot-builder.png");
        dialog.findChild<QPushButton*>("save")->click();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::buildModelMenu);
    QVERIFY(baseReturn.startsWith("Return = "));
    QVERIFY(QFile::exists(station.startFile("USD_JPY.pfm")));
    QCOMPARE(station.messages, QStringList({"Saved the trade model for USD/JPY to\n" +
                                            QDir::toNativeSeparators(station.startFile("USD_JPY.pfm"))}));
    station.messages.clear();

    QStringList viewed;
    station.answerDialog = [&](QDialog& dialog) {
        if (auto* viewer = qobject_cast<CPerformanceViewerDlg*>(&dialog))
            viewed << viewer->readOut(1021)->text() << viewer->readOut(1022)->text() << viewer->readOut(1023)->text();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::performanceButton);
    QCOMPARE(viewed, QStringList({"MACD", "Rate Of Change", "N/A"}));

    QString signal;
    int pricePoints = 0;
    station.answerDialog = [&](QDialog& dialog) {
        auto* signalDialog = qobject_cast<CTradeSignalDlg*>(&dialog);
        if (signalDialog == nullptr) return int(QDialog::Rejected);
        signal = signalDialog->signalText();
        dialog.resize(900, 760);
        dialog.show();
        dialog.findChild<QPushButton*>("1")->click();
        pricePoints = dialog.findChild<CChartFX*>("1044")->pointCount();
        saveShot(dialog, "screenshot-signal.png");
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::tradeSignalMenu);
    QVERIFY(!signal.isEmpty());
    QCOMPARE(pricePoints, station.product().historyLength());
    QVERIFY(QFile::exists(station.startFile("strategy/USD_JPY.csv")));
    QVERIFY(station.messages.isEmpty());
}

QTEST_MAIN(ReportScreenshotsTest)
#include "report_screenshots_test.moc"
