#include "data/price_file.h"
#include "fixed_workload.h"
#include "model/backtest.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// One optimiser trial's back-test on the USD/JPY sample, with positions that
// change often (follow the last day's move, flat after a quiet day).
void backtestAndFinalReturn(benchmark::State& state) {
    varkel::ProductRegistry registry;
    registry.addProduct("USD/JPY");
    varkel::loadPriceFile(registry, "USD/JPY", varkel::bench::workloadPath());
    auto& bars = registry.findProduct("USD/JPY")->bars;
    for (std::size_t i = 2; i < bars.size(); ++i) {
        const double move = bars[i - 1].close - bars[i - 2].close;
        bars[i].position = move > 0.2 ? 1 : move < -0.2 ? -1 : 0;
    }
    for (auto _ : state) {
        varkel::runBacktest(registry, "USD/JPY");
        benchmark::DoNotOptimize(varkel::finalReturn(registry, "USD/JPY"));
    }
}

BENCHMARK(backtestAndFinalReturn)->Unit(benchmark::kMicrosecond);

}  // namespace
