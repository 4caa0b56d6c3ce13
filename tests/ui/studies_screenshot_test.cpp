// The picture of the studies in the README: the USD/JPY sample with the
// Keltner bands and the MACD, RSI and stochastics tabs, zoomed to the latest
// 300 bars, all run through the dialogs with their defaults. scripts/screenshot-studies saves it by setting
// VARKEL_SCREENSHOT to the file to write.
#include "ui_test_support.h"

#include "app/command_ids.h"
#include "app/open_flow.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/tab_strip.h"

class StudiesScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void sampleWithKeltnerAndThreeAnalysisTabs();
};

void StudiesScreenshotTest::sampleWithKeltnerAndThreeAnalysisTabs() {
    Workstation station;
    ChartWorkspace& workspace = *activeWorkspace();
    QVERIFY(openPriceFile(workspace, "USD/JPY", VARKEL_SAMPLES_DIR "/USD_JPY.txt"));
    station.messages.clear();  // the sample's data-quality report
    station.answerDialog = [](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    };
    for (int command : {cmd::keltnerMenu, cmd::macdMenu, cmd::rsiMenu, cmd::stochasticsMenu, cmd::tickMenu})
        station.frame()->dispatch(command);

    QVERIFY2(station.messages.isEmpty(), qPrintable(station.messages.join("|")));
    QCOMPARE(dynamic_cast<CChartFX*>(workspace.priceChart)->title(), QStringLiteral("Keltner Channel (10,10,1.5000)"));
    QCOMPARE(workspace.studyTab->count(), 3);
    QCOMPARE(workspace.studyTab->currentIndex(), 2);
    const varkel::Product& product = *workspace.registry.findProduct("USD/JPY");
    const int last = product.historyLength() - 1;
    const int lastPoint = last - (workspace.barsTotal - 300);
    const varkel::Bar& bar = product.bars[static_cast<std::size_t>(last)];
    auto* stochastics = dynamic_cast<CChartFX*>(varkel::findStudyChart("STOCHASTICS", workspace)->chart);
    QVERIFY(stochastics->isVisible());
    QCOMPARE(stochastics->plotRange().xMax, double(lastPoint + 1));
    QCOMPARE(stochastics->value(1, lastPoint), bar.stochSlowD);
    QCOMPARE(stochastics->pointLabel(lastPoint), QString::fromStdString(bar.dateText));

    const QString path = qEnvironmentVariable("VARKEL_SCREENSHOT");
    if (path.isEmpty()) return;
    QTest::qWait(400);  // the charts' queued redraws
    QVERIFY2(station.frame()->grab().save(path, "PNG"), qPrintable(path));
}

QTEST_MAIN(StudiesScreenshotTest)
#include "studies_screenshot_test.moc"
