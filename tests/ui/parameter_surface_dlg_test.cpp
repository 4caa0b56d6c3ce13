// The Parameter Surface window on a build of the USD/JPY sample with small
// grids: its cells are the surface's returns, its marker the built model.
#include "trade_model_station.h"

#include "search/trial_selection.h"
#include "builder/strategy_builder.h"
#include "windows/model/last_build.h"
#include "windows/robustness/parameter_surface_dlg.h"
#include "search/trial_selection.h"
#include "builder/strategy_builder.h"
#include "windows/robustness/parameter_surface_dlg.h"
#include "report/build_texts.h"
#include "robustness/surface_slice.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <qcustomplot.h>

#include <cmath>

using namespace varkel;

class ParameterSurfaceDlgTest : public QObject {
    Q_OBJECT
private slots:
    void withoutABuildItSaysSo();
    void cellsAreTheSurfacesReturnsAndTheMarkerTheBuiltModel();
};

void ParameterSurfaceDlgTest::withoutABuildItSaysSo() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    CParameterSurfaceDlg dialog(std::nullopt, station.frame());
    QVERIFY(!dialog.hasSurface());
    QVERIFY(dialog.findChild<QLabel*>("surfaceSummary")->text().startsWith("No build to show yet"));
    QVERIFY(!dialog.findChild<QPushButton*>("savePng")->isEnabled());
}

void ParameterSurfaceDlgTest::cellsAreTheSurfacesReturnsAndTheMarkerTheBuiltModel() {
    TradeModelStation station;
    QVERIFY(station.openSample());
    BuildOptions options;
    options.grids.keltner = {{10, 14}, {8, 10}, {1.0, 0.5, 2.0}};
    IndexChoice choice;
    choice.baseKind = StudyKind::KeltnerChannels;
    ChartWorkspace& workspace = *activeWorkspace();
    const BuildResult built =
        buildStrategy(workspace.registry, workspace.productName, choice, options);
    QCOMPARE(int(built.outcome), int(RunOutcome::Done));
    const LastBuild last{workspace.productName, built.model, built.robustness};
    const ParameterSurface& surface = built.robustness.baseSurface;
    QCOMPARE(surface.trialCount(), std::size_t(5 * 3 * 2));  // multipliers 1.0 and 1.5: the limit is left out
    // A view of another product has no build to show.
    QVERIFY(!surfaceToShow(last, "EUR/JPY"));

    CParameterSurfaceDlg dialog(surfaceToShow(last, workspace.productName), station.frame());
    QVERIFY(dialog.hasSurface());
    dialog.resize(1024, 700);
    dialog.show();
    const std::vector<double> chosen = layerValues(built.model.base());
    auto* across = dialog.findChild<QComboBox*>("acrossParameter");
    auto* up = dialog.findChild<QComboBox*>("upParameter");
    auto* rest = dialog.findChild<QComboBox*>("restParameter");

    // Every pair of axes, the rest held at the model's value and maximised over.
    for (const auto& [x, y] : {std::pair{0, 1}, std::pair{2, 0}, std::pair{1, 2}}) {
        for (int restChoice : {0, 1}) {
            across->setCurrentIndex(x);
            up->setCurrentIndex(y);
            rest->setCurrentIndex(restChoice);
            QCOMPARE(across->currentIndex(), x);
            QCOMPARE(up->currentIndex(), y);
            const int z = 3 - x - y;
            QCPColorMapData* cells = dialog.colorMap()->data();
            const SurfaceSlice& slice = dialog.slice();
            QCOMPARE(cells->keySize(), int(slice.acrossValues.size()));
            QCOMPARE(cells->valueSize(), int(slice.upValues.size()));
            // Straight from the surface: the trials at each cell, and their best return.
            for (int a = 0; a < cells->keySize(); ++a)
                for (int u = 0; u < cells->valueSize(); ++u) {
                    double expected = NAN;
                    for (std::size_t t = 0; t < surface.trialCount(); ++t)
                        if (surface.parameter(t, x) == slice.acrossValues[a] &&
                            surface.parameter(t, y) == slice.upValues[u] &&
                            (restChoice == 1 || surface.parameter(t, z) == chosen[z]) &&
                            (std::isnan(expected) || surface.returns[t] > expected))
                            expected = surface.returns[t];
                    QVERIFY(!std::isnan(expected));  // a full grid: every cell was tried
                    QCOMPARE(cells->cell(a, u), expected);
                    QCOMPARE(int(cells->alpha(a, u)), 255);
                }
            const auto marker = dialog.markerCell();
            QVERIFY(marker.has_value());
            QCOMPARE(slice.acrossValues[marker->first], chosen[x]);
            QCOMPARE(slice.upValues[marker->second], chosen[y]);
            auto* markerGraph = dialog.findChild<QCustomPlot*>("surfacePlot")->graph(0);
            QCOMPARE(markerGraph->dataCount(), 1);
            QCOMPARE(markerGraph->data()->at(0)->key, double(marker->first));
            QCOMPARE(markerGraph->data()->at(0)->value, double(marker->second));
        }
    }

    // Held at the model's value, the marked cell is the built model's own trial and return.
    across->setCurrentIndex(0);
    up->setCurrentIndex(1);
    rest->setCurrentIndex(0);
    const auto marker = *dialog.markerCell();
    const std::int64_t trial = dialog.slice().trials[dialog.slice().cell(marker.first, marker.second)];
    QCOMPARE(trial, findTrial(surface, chosen));
    QCOMPARE(surface.returns[trial], *built.layerReturns[0]);
    QVERIFY(dialog.describeCell(marker.first, marker.second)
                .endsWith(": return " + QString::number(*built.layerReturns[0], 'f', 2)));

    // Choosing the other axis's parameter swaps the two.
    across->setCurrentIndex(1);
    QCOMPARE(up->currentIndex(), 0);

    // The title names product, study and parameters, and stands in the picture saved.
    auto* title = dialog.findChild<QCPTextElement*>("surfaceTitle");
    QVERIFY(title != nullptr);
    QCOMPARE(title->text(), "USD/JPY, Keltner Channels: " + QString::fromStdString(layerParameterText(built.model.base())));
    // The colours reach the slice's robust percentiles.
    auto* plot = dialog.findChild<QCustomPlot*>();
    QCPColorMap* map = nullptr;
    for (int i = 0; i < plot->plottableCount(); ++i)
        if (auto* each = qobject_cast<QCPColorMap*>(plot->plottable(i))) map = each;
    QVERIFY(map != nullptr);
    QCOMPARE(map->dataRange().upper, colourReach(dialog.slice()));

    const QString png = station.startFile("surface.png");
    QVERIFY(dialog.savePng(png));
    QVERIFY(QImage(png).width() > 0);
    QVERIFY(!dialog.savePng(station.startFile("no-such-folder/surface.png")));
    QCOMPARE(station.messages.size(), 1);
}

QTEST_MAIN(ParameterSurfaceDlgTest)
#include "parameter_surface_dlg_test.moc"
