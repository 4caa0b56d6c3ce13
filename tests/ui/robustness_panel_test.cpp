// The Strategy Builder's robustness panel, Select choice and Surface button
// on builds of the USD/JPY sample with small grids.
#include "trade_model_station.h"

#include "model/trade_model_file.h"
#include "builder/strategy_builder.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "windows/robustness/parameter_surface_dlg.h"
#include "windows/robustness/robustness_panel.h"
#include "windows/model/strategy_builder_dlg.h"
#include "report/robustness_texts.h"
#include "robustness/robustness_verdict.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <cmath>
#include <numeric>
#include <tuple>

using namespace varkel;

namespace {

BuildGrids smallGrids() {
    BuildGrids grids;
    grids.macd = {{4, 8}, 14, {7, 10}};
    grids.roc = {{1, 3}, {0.5, 0.5, 2.0}};
    return grids;
}

QString figureOf(const QDialog& dialog, const char* name) {
    return dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

// Builds MACD + Rate Of Change in the dialog with `selection` (0 Best, 1 Plateau).
bool buildInDialog(CStrategyBuilderDlg& dialog, int selection) {
    dialog.setGrids(smallGrids());
    auto* base = dialog.findChild<QComboBox*>("1021");
    base->setCurrentIndex(base->findText("MACD"));
    dialog.findChild<QCheckBox*>("1014")->setChecked(true);
    auto* second = dialog.findChild<QComboBox*>("1022");
    second->setCurrentIndex(second->findText("Rate Of Change"));
    dialog.findChild<QComboBox*>("selection")->setCurrentIndex(selection);
    QSignalSpy finished(&dialog, &CStrategyBuilderDlg::runFinished);
    dialog.findChild<QPushButton*>("1")->click();
    return finished.wait(60000);
}

BuildResult engineBuild(const ProductRegistry& bars, TrialSelection selection, const QString& directory) {
    ProductRegistry registry = bars;
    BuildOptions options;
    options.grids = smallGrids();
    options.selection = selection;
    BuildResult built = buildStrategy(registry, "USD/JPY", IndexChoice{StudyKind::Macd, true, StudyKind::RateOfChange}, options);
    // Saved where the window saves, to compare the files.
    saveTradeModel(built.model, performanceFilePath(directory.toStdString(), "USD/JPY"));
    return built;
}

}  // namespace

class RobustnessPanelTest : public QObject {
    Q_OBJECT
private slots:
    void panelShowsTheEnginesFiguresAndTheSurfaceOpens();
    void plateauSelectionBuildsTheEnginesPlateauModel();
    void theShellHandsTheViewsLastBuildToTheSurfaceWindow();
};

void RobustnessPanelTest::panelShowsTheEnginesFiguresAndTheSurfaceOpens() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    const ProductRegistry before = activeWorkspace()->registry;
    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, station.frame());
    QVERIFY(!dialog.findChild<QPushButton*>("surface")->isEnabled());
    dialog.resize(1024, 700);
    dialog.show();
    QVERIFY(buildInDialog(dialog, 0));

    QTemporaryDir engineDirectory;
    const BuildResult expected = engineBuild(before, TrialSelection::best, engineDirectory.path());
    const BuildRobustness& robustness = expected.robustness;
    QVERIFY(robustness.computed && robustness.layers[0] && robustness.layers[1] && robustness.sharpe);
    QCOMPARE(figureOf(dialog, "pboBase"), QString::fromStdString(robustnessFigure(robustness.layers[0]->pbo)));
    QCOMPARE(figureOf(dialog, "pbo2nd"), QString::fromStdString(robustnessFigure(robustness.layers[1]->pbo)));
    QCOMPARE(figureOf(dialog, "pbo3rd"), QStringLiteral("-"));
    QCOMPARE(figureOf(dialog, "dsr"), QString::fromStdString(robustnessFigure(robustness.sharpe->deflated)));
    QCOMPARE(figureOf(dialog, "psr"), QString::fromStdString(robustnessFigure(robustness.sharpe->probabilistic)));
    QCOMPARE(figureOf(dialog, "trials"), QString::fromStdString(withThousandsSeparators(robustness.trials)));
    // The Sharpe ratio the DSR judges stands beside it, apart from the 20-bar "Sharpe Ratio".
    QCOMPARE(figureOf(dialog, "sr0"), QString::fromStdString(robustnessFigure(robustness.sharpe->benchmark)));
    QCOMPARE(figureOf(dialog, "srPerBar"), QString::fromStdString(robustnessFigure(robustness.sharpe->moments.sharpe)));
    QCOMPARE(figureOf(dialog, "srAnnualised"),
             QString::fromStdString(robustnessFigure(robustness.sharpe->annualisedSharpe)));
    auto* verdict = dialog.findChild<QLabel*>("verdict");
    const bool holds = robustness.layers[0]->pbo < 0.5 && robustness.layers[1]->pbo < 0.5 && robustness.sharpe->deflated > 0.95;
    QVERIFY(verdict->text().contains(holds ? "holds up" : "likely a fluke"));
    QVERIFY(verdict->styleSheet().contains(holds ? "#1a7f37" : "#c62828"));
    QVERIFY(!dialog.findChild<QLabel*>("dsr")->toolTip().isEmpty());

    // One logit per split of the base layer, each in the bin around it.
    const auto& histogram = dialog.findChild<CRobustnessPanel*>()->histogram();
    const std::vector<double>& logits = robustness.layers[0]->logits;
    QCOMPARE(std::accumulate(histogram.counts.begin(), histogram.counts.end(), 0), int(logits.size()));
    QCOMPARE(int(logits.size()), robustness.layers[0]->splitCount);
    // A logit on the edge of two bins may go to either.
    const double half = (histogram.centres[1] - histogram.centres[0]) / 2;
    for (std::size_t bin = 0; bin < histogram.counts.size(); ++bin) {
        const double centre = histogram.centres[bin];
        auto within = [&](double reach) {
            return int(std::count_if(logits.begin(), logits.end(),
                                     [&](double logit) { return std::abs(logit - centre) <= reach; }));
        };
        QVERIFY(within(half * (1 - 1e-9)) <= histogram.counts[bin]);
        QVERIFY(histogram.counts[bin] <= within(half * (1 + 1e-9)));
    }

    // The dialog keeps the build for the Parameter Surface window.
    const auto& last = dialog.lastBuild();
    QVERIFY(last.has_value());
    QCOMPARE(last->robustness.baseSurface.returns, robustness.baseSurface.returns);
    auto* surface = dialog.findChild<QPushButton*>("surface");
    QVERIFY(surface->isEnabled());
    bool shown = false;
    station.answerDialog = [&](QDialog& window) {
        auto* surfaceWindow = qobject_cast<CParameterSurfaceDlg*>(&window);
        shown = surfaceWindow != nullptr && surfaceWindow->hasSurface() && surfaceWindow->parentWidget() == &dialog;
        return int(QDialog::Rejected);
    };
    surface->click();
    QVERIFY(shown);
    QVERIFY(station.messages.isEmpty());
}

void RobustnessPanelTest::plateauSelectionBuildsTheEnginesPlateauModel() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    const ProductRegistry before = activeWorkspace()->registry;
    CStrategyBuilderDlg dialog(activeWorkspace(), station.app.startDirectory, station.frame());
    QVERIFY(buildInDialog(dialog, 1));
    QTemporaryDir engineDirectory;
    const BuildResult plateau = engineBuild(before, TrialSelection::plateau, engineDirectory.path());
    // The verdict names the rule, and says whose rank the PBO is.
    const QString verdict = dialog.findChild<QLabel*>("verdict")->text();
    QVERIFY2(verdict.startsWith("The plateau trial of " +
                                QString::fromStdString(withThousandsSeparators(plateau.robustness.trials)) + " trials "),
             qPrintable(verdict));
    QVERIFY2(verdict.endsWith(" (the PBO ranks the best in-sample trial)"), qPrintable(verdict));
    dialog.findChild<QPushButton*>("save")->click();
    QCOMPARE(station.readStartFile("USD_JPY.pfm"), [&] {
        QFile file(QDir(engineDirectory.path()).filePath("USD_JPY.pfm"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }());
    // The sample's plateau lies elsewhere than its best trial, so the choice did reach the search.
    const BuildResult best = engineBuild(before, TrialSelection::best, engineDirectory.path());
    const auto parameters = [](const TradeModel& m) {
        return std::tuple(m.layers[0].p.spans[0], m.layers[0].p.spans[1], m.layers[0].p.spans[2], m.layers[1].p.spans[0], m.layers[1].p.setting);
    };
    QVERIFY(parameters(best.model) != parameters(plateau.model));
    QVERIFY(parameters(dialog.lastBuild()->model) == parameters(plateau.model));
}

// Action > Build Trade Model and Action > Parameter Surface through the frame:
// the surface shows the view's last build, and a new builder starts from it.
void RobustnessPanelTest::theShellHandsTheViewsLastBuildToTheSurfaceWindow() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    QStringList seen;
    bool build = true;
    station.answerDialog = [&](QDialog& window) {
        if (auto* builder = qobject_cast<CStrategyBuilderDlg*>(&window)) {
            const bool surfaceReady = builder->findChild<QPushButton*>("surface")->isEnabled();
            seen << QStringLiteral("builder, surface %1").arg(surfaceReady ? "ready" : "off");
            if (build && !buildInDialog(*builder, 0)) seen << "build did not finish";
        }
        if (auto* surface = qobject_cast<CParameterSurfaceDlg*>(&window))
            seen << QStringLiteral("surface %1").arg(surface->hasSurface() ? "shown" : "empty");
        return int(QDialog::Rejected);
    };
    station.frame()->dispatch(cmd::parameterSurfaceMenu);
    station.frame()->dispatch(cmd::buildModelMenu);
    station.frame()->dispatch(cmd::parameterSurfaceMenu);
    build = false;
    station.frame()->dispatch(cmd::buildModelMenu);
    QCOMPARE(seen, QStringList({"surface empty", "builder, surface off", "surface shown", "builder, surface ready"}));
}

QTEST_MAIN(RobustnessPanelTest)
#include "robustness_panel_test.moc"
