// The full MACD + ROC build on the USD/JPY sample with and without the
// robustness statistics (their cost must stay within 1.3 x), and the memory
// of the largest layer's trial ledger: Keltner's 810,000 trials with the ten
// P&L blocks and the squares, as the builder records them.
#include "bench_options.h"
#include "fixed_workload.h"
#include "search/optimisers.h"
#include "builder/strategy_builder.h"
#include "robustness/pnl_blocks.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

using namespace varkel;

const std::string name = "USD/JPY";

ProductRegistry sample() { return bench::workloadHistory(name); }

// Argument: 1 with the statistics, 0 without.
void BM_BuildMacdRoc(benchmark::State& state) {
    const ProductRegistry loaded = sample();
    BuildOptions options;
    options.robustness = state.range(0) != 0;
    options.threads = bench::threads();
    for (auto _ : state) {
        state.PauseTiming();
        ProductRegistry registry = loaded;
        state.ResumeTiming();
        benchmark::DoNotOptimize(buildStrategy(registry, name, {StudyKind::Macd, true, StudyKind::RateOfChange}, options));
    }
}

void BM_KeltnerLedgerMemory(benchmark::State& state) {
    const ProductRegistry loaded = sample();
    const int n = loaded.findProduct(name)->historyLength();
    for (auto _ : state) {
        ProductRegistry registry = loaded;
        TrialLedger ledger(pnlBlocks(n, defaultPnlBlocks), true);
        OptimiserControl control = bench::control();
        control.ledger = &ledger;
        optimiseKeltner(registry, name, control);
        const ParameterSurface surface = ledgerSurface(ledger, StudyKind::KeltnerChannels);
        state.counters["trials"] = static_cast<double>(ledger.rowCount());
        state.counters["ledger MB"] = static_cast<double>(ledger.bytes()) / 1e6;
        state.counters["surface MB"] =
            static_cast<double>((surface.parameters.capacity() + surface.returns.capacity()) * sizeof(double)) / 1e6;
    }
}

// The CPU time of every thread beside the wall time: on a busy machine the
// ratio of the two builds' CPU times is the steadier figure.
BENCHMARK(BM_BuildMacdRoc)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_KeltnerLedgerMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
