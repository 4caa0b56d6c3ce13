// What Correct Flagged Bars offers after Open: the bars flagged as likely
// wrong prices (a wrong close and the bar that repeats it, together), never
// the unusual moves that real markets make.
#include "ui_test_support.h"

#include "app/open_flow.h"
#include "windows/data/bar_fix_dlg.h"
#include "workbench/chart_workspace.h"

#include <QListWidget>

class BarFixOfferTest : public QObject {
    Q_OBJECT
private slots:
    void offersTheWrongCloseAndTheBarThatRepeatsItTogether();
    void neverOffersTheSamplesMarketEvents();
};

namespace {

// The lines Correct Flagged Bars lists when `path` is opened as `product`.
QStringList offeredAfterOpening(Workstation& station, const QString& product, const QString& path) {
    QStringList listed;
    station.answerDialog = [&listed](QDialog& dialog) {
        if (auto* list = dialog.findChild<QListWidget*>("flaggedBars"))
            for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
        return int(QDialog::Rejected);
    };
    if (!openPriceFile(*activeWorkspace(), product, path)) return {QStringLiteral("not opened")};
    return listed;
}

}  // namespace

void BarFixOfferTest::offersTheWrongCloseAndTheBarThatRepeatsItTogether() {
    Workstation station;
    const QStringList offered =
        offeredAfterOpening(station, "AUD/JPY", QStringLiteral(VARKEL_FAULTY_HISTORIES_DIR "/AUD_JPY.txt"));
    // 20061225 closes at 543.09; 20061226 reads 54309,54309,9312,9322.
    QVERIFY2(offered.filter("(20061225): spike: close 543.09").size() == 1, qPrintable(offered.join('\n')));
    QVERIFY2(offered.filter("(20061226): repeats 543.09").size() == 1, qPrintable(offered.join('\n')));
    QVERIFY(offered.filter("unusual move").isEmpty());
}

void BarFixOfferTest::neverOffersTheSamplesMarketEvents() {
    Workstation station;
    const QStringList offered =
        offeredAfterOpening(station, "USD/JPY", QStringLiteral(VARKEL_SAMPLES_DIR "/USD_JPY.txt"));
    QVERIFY(!offered.isEmpty());  // the sample's closes that leave and come back
    QVERIFY(offered.filter("unusual move").isEmpty());
    for (const char* event : {"20110316", "20160624", "20190103"})
        QVERIFY2(offered.filter(QStringLiteral("(%1)").arg(QLatin1String(event))).isEmpty(), event);
    // The report before the offer lists them as unusual moves.
    QVERIFY(!station.messages.isEmpty());
    QVERIFY(station.messages.first().contains("unusual move"));
}

QTEST_MAIN(BarFixOfferTest)
#include "bar_fix_offer_test.moc"
