// Workstation timings on the offscreen platform: opening the EUR/JPY sample
// (load, moving averages, chart filled and drawn) and redrawing the price chart
// after Tick 300.
#include "app/chart_view.h"
#include "app/open_flow.h"
#include "app/varkel_app.h"
#include "chart/chart_painter.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <clocale>
#include <memory>

namespace {

const QString samplePath = QStringLiteral(VARKEL_FIXED_WORKLOAD_DIR "/EUR_JPY.txt");

std::unique_ptr<CVarkelModel2cView> newView() {
    auto view = std::make_unique<CVarkelModel2cView>();
    view->resize(1200, 700);
    view->show();
    QApplication::processEvents();
    return view;
}

void openEurJpy(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto view = newView();
        state.ResumeTiming();
        openPriceFile(*view->workspace(), QStringLiteral("EUR/JPY"), samplePath);
        dynamic_cast<CChartFX*>(view->workspace()->priceChart)->redrawNow();
        state.PauseTiming();
        view.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void repaintAfterTick300(benchmark::State& state) {
    auto view = newView();
    ChartWorkspace& workspace = *view->workspace();
    openPriceFile(workspace, QStringLiteral("EUR/JPY"), samplePath);
    auto* chart = dynamic_cast<CChartFX*>(workspace.priceChart);
    workspace.barsShown = 300;
    for (auto _ : state) {
        chart->openData(varkel::dataValues, 0, 5);
        varkel::ChartPainter(workspace, varkel::StudyKind::MovingAverages, true).paint();
        chart->closeData(varkel::dataValues);
        chart->redrawNow();
    }
}

BENCHMARK(openEurJpy)->Unit(benchmark::kMillisecond);
BENCHMARK(repaintAfterTick300)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    seams().message = [](const QString&) {};
    // Opening writes nothing; the working directory serves as the start directory.
    CVarkelModel2cApp app(QDir::currentPath().toStdString());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
