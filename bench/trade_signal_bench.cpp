#include "data/price_file.h"
#include "fixed_workload.h"
#include "model/trade_model_file.h"
#include "report/trade_signal.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

// A MACD model with a rate-of-change filter saved in a fresh directory.
std::filesystem::path savedSignalModel() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "varkel_bench_signal";
    std::filesystem::create_directories(dir);
    varkel::TradeModel model;
    model.layers[0].kind = varkel::StudyKind::Macd;
    model.layers[0].p.spans[0] = 12;
    model.layers[0].p.spans[1] = 26;
    model.layers[0].p.spans[2] = 9;
    model.layers[1].kind = varkel::StudyKind::RateOfChange;
    model.layers[1].p.spans[0] = 5;
    model.layers[1].p.setting = 1.5;
    varkel::saveTradeModel(model, varkel::performanceFilePath(dir, "USD/JPY"));
    return dir;
}

void runSignal(benchmark::State& state, varkel::ProductRegistry& registry, const std::filesystem::path& dir,
               varkel::SignalBars bars) {
    const varkel::TradeSignal signal = varkel::runDailyTradeSignal(registry, "USD/JPY", dir, bars);
    if (!signal.strategyWritten) state.SkipWithError("strategy file not written");
    benchmark::DoNotOptimize(signal.signalText.data());
}

// The whole daily signal as the command line runs it: load the price file,
// apply the model, back-test, measure, write the model file and the strategy
// file.
void dailyTradeSignal(benchmark::State& state) {
    const std::filesystem::path dir = savedSignalModel();
    const std::string prices = varkel::bench::workloadPath();
    for (auto _ : state) {
        varkel::ProductRegistry registry;
        registry.addProduct("USD/JPY");
        varkel::loadPriceFile(registry, "USD/JPY", prices);
        runSignal(state, registry, dir, varkel::SignalBars::Own);
    }
    std::filesystem::remove_all(dir);
}

// The same signal on a history already loaded (as the workstation runs it):
// beside the line above, what loading the price file costs.
void dailyTradeSignalLoaded(benchmark::State& state) {
    const std::filesystem::path dir = savedSignalModel();
    varkel::ProductRegistry registry = varkel::bench::workloadHistory("USD/JPY");
    for (auto _ : state) runSignal(state, registry, dir, varkel::SignalBars::Copy);
    std::filesystem::remove_all(dir);
}

BENCHMARK(dailyTradeSignal)->Unit(benchmark::kMillisecond);
BENCHMARK(dailyTradeSignalLoaded)->Unit(benchmark::kMillisecond);

}  // namespace
