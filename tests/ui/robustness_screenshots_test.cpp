// The three robustness windows opened through their commands on the USD/JPY
// sample, each at 1024 x 700: the builder with its robustness panel, the
// parameter surface of its build and a walk-forward run. With
// VARKEL_SCREENSHOT_DIR set (scripts/screenshot-robustness) they search wider
// grids and are saved there as the README's pictures.
#include "trade_model_station.h"

#include "app/command_ids.h"
#include "windows/robustness/parameter_surface_dlg.h"
#include "windows/model/strategy_builder_dlg.h"
#include "windows/robustness/walk_forward_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>

using namespace varkel;

namespace {

const bool forPictures = qEnvironmentVariableIsSet("VARKEL_SCREENSHOT_DIR");

// MACD over a share of its standard grid (the whole takes long on a small
// machine), Rate Of Change over its own.
BuildGrids grids() {
    BuildGrids grids;
    grids.macd = forPictures ? MacdGrid{{4, 40}, 60, {7, 30}} : MacdGrid{{4, 8}, 14, {7, 10}};
    if (!forPictures) grids.roc = {{1, 3}, {0.5, 0.5, 2.0}};
    return grids;
}

void choose(QDialog& dialog, const char* listName, const QString& entry) {
    auto* list = dialog.findChild<QComboBox*>(QString::fromLatin1(listName));
    list->setCurrentIndex(list->findText(entry));
}

void saveShot(QWidget& window, const QString& name) {
    if (!forPictures) return;
    QTest::qWait(400);  // the charts' queued redraws
    const QString path = QDir(qEnvironmentVariable("VARKEL_SCREENSHOT_DIR")).filePath(name);
    QVERIFY2(window.grab().save(path, "PNG"), qPrintable(path));
}

}  // namespace

class RobustnessScreenshotsTest : public QObject {
    Q_OBJECT
private slots:
    void builderSurfaceAndWalkForward();
};

void RobustnessScreenshotsTest::builderSurfaceAndWalkForward() {
    TradeModelStation station;
    QVERIFY(station.openBundledSample());
    QString verdict;
    bool surfaceShown = false;
    station.answerDialog = [&](QDialog& dialog) {
        if (auto* surface = qobject_cast<CParameterSurfaceDlg*>(&dialog)) {
            surfaceShown = surface->hasSurface();
            dialog.resize(1024, 700);
            dialog.show();
            saveShot(dialog, "screenshot-surface.png");
            return int(QDialog::Rejected);
        }
        auto* builder = qobject_cast<CStrategyBuilderDlg*>(&dialog);
        if (builder == nullptr) return int(QDialog::Rejected);
        builder->setGrids(grids());
        choose(dialog, "1021", "MACD");
        dialog.findChild<QCheckBox*>("1014")->setChecked(true);
        choose(dialog, "1022", "Rate Of Change");
        dialog.resize(1024, 700);
        dialog.show();
        QSignalSpy finished(builder, &CStrategyBuilderDlg::runFinished);
        dialog.findChild<QPushButton*>("1")->click();
        [&] { QVERIFY(finished.wait(600000)); }();
        verdict = dialog.findChild<QLabel*>("verdict")->text();
        saveShot(dialog, "screenshot-robustness.png");
        dialog.findChild<QPushButton*>("surface")->click();
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::buildModelMenu);
    QVERIFY(verdict.startsWith("The best of "));
    QVERIFY(surfaceShown);

    int folds = 0;
    station.answerDialog = [&](QDialog& dialog) {
        auto* walk = qobject_cast<CWalkForwardDlg*>(&dialog);
        if (walk == nullptr) return int(QDialog::Rejected);
        walk->setGrids(grids());
        choose(dialog, "baseIndex", "MACD");
        dialog.findChild<QCheckBox*>("use2nd")->setChecked(true);
        choose(dialog, "secondIndex", "Rate Of Change");
        dialog.resize(1024, 700);
        dialog.show();
        QSignalSpy finished(walk, &CWalkForwardDlg::runFinished);
        walk->run();
        [&] { QVERIFY(finished.wait(600000)); }();
        folds = dialog.findChild<QTableWidget*>("foldTable")->rowCount();
        saveShot(dialog, "screenshot-walkforward.png");
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::walkForwardMenu);
    QCOMPARE(folds, 22);  // the sample's 6399 - 1000 bars after the first train window, 250 a test window (the last one cut)
    QVERIFY(station.messages.isEmpty());
}

QTEST_MAIN(RobustnessScreenshotsTest)
#include "robustness_screenshots_test.moc"
