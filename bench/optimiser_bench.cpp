// Full-grid searches on the USD/JPY sample, and the straightforward reference
// on reduced grids, so that the per-trial speed of both can be compared.
#include "optimiser_reference.h"

#include "usd_jpy_sample.h"
#include "search/optimisers.h"
#include "search/trial_ledger.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace varkel;

const std::string name = "USD/JPY";

ProductRegistry sample() { return bench::usdJpySample(name); }

template <typename Search>
void runSearch(benchmark::State& state, std::int64_t trials, bool withBase, Search search) {
    const ProductRegistry loaded = sample();
    for (auto _ : state) {
        state.PauseTiming();
        ProductRegistry registry = loaded;
        if (withBase) applyMacd(registry, name, 12, 26, 9, 0.0);
        state.ResumeTiming();
        benchmark::DoNotOptimize(search(registry));
    }
    state.counters["trials/s"] = benchmark::Counter(static_cast<double>(trials), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_MacdFull(benchmark::State& s) { runSearch(s, 486910, false, [](ProductRegistry& r) { return optimiseMacd(r, name); }); }
void BM_StochasticsFull(benchmark::State& s) { runSearch(s, 509124, false, [](ProductRegistry& r) { return optimiseStochastics(r, name); }); }
void BM_KeltnerFull(benchmark::State& s) { runSearch(s, 810000, false, [](ProductRegistry& r) { return optimiseKeltner(r, name); }); }
void BM_LregBaseFull(benchmark::State& s) { runSearch(s, 68500, false, [](ProductRegistry& r) { return optimiseLreg(r, name, false); }); }
void BM_TscBaseFull(benchmark::State& s) { runSearch(s, 95900, false, [](ProductRegistry& r) { return optimiseTsc(r, name, false); }); }
void BM_LregFilterFull(benchmark::State& s) { runSearch(s, 68500, true, [](ProductRegistry& r) { return optimiseLreg(r, name, true); }); }
void BM_TscFilterFull(benchmark::State& s) { runSearch(s, 95900, true, [](ProductRegistry& r) { return optimiseTsc(r, name, true); }); }
void BM_RocFilterFull(benchmark::State& s) { runSearch(s, 8569, true, [](ProductRegistry& r) { return optimiseRoc(r, name); }); }
void BM_NdistFilterFull(benchmark::State& s) { runSearch(s, 55537, true, [](ProductRegistry& r) { return optimiseNdist(r, name); }); }

BENCHMARK(BM_MacdFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_StochasticsFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_KeltnerFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_LregBaseFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_TscBaseFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_LregFilterFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_TscFilterFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_RocFilterFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_NdistFilterFull)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The same searches recording a trial ledger: the ten blocks of bars 1 .. N-1
// and the squares (what the overfitting statistics ask for), or the fifteen
// rolling train windows of a walk-forward (train 1000, test 250).
std::vector<BarWindow> blocksOfHistory(int n) {
    std::vector<BarWindow> blocks;
    for (int b = 0; b < 10; ++b) blocks.push_back({1 + b * (n - 1) / 10, 1 + (b + 1) * (n - 1) / 10});
    return blocks;
}

std::vector<BarWindow> rollingTrainWindows(int n) {
    std::vector<BarWindow> windows;
    for (int start = 1000; start < n; start += 250) windows.push_back({start - 1000, start});
    return windows;
}

template <typename Search>
void runLedgerSearch(benchmark::State& state, std::int64_t trials, std::vector<BarWindow> (*windowsFor)(int),
                     Search search) {
    runSearch(state, trials, false, [&](ProductRegistry& registry) {
        TrialLedger ledger(windowsFor(registry.findProduct(name)->historyLength()), true);
        OptimiserControl control;
        control.ledger = &ledger;
        search(registry, control);
        return ledger.rowCount();
    });
}

void BM_MacdFullBlocksLedger(benchmark::State& s) { runLedgerSearch(s, 486910, blocksOfHistory, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c); }); }
void BM_MacdFullRollingLedger(benchmark::State& s) { runLedgerSearch(s, 486910, rollingTrainWindows, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseMacd(r, name, c); }); }
void BM_StochasticsFullBlocksLedger(benchmark::State& s) { runLedgerSearch(s, 509124, blocksOfHistory, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseStochastics(r, name, c); }); }
void BM_KeltnerFullBlocksLedger(benchmark::State& s) { runLedgerSearch(s, 810000, blocksOfHistory, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c); }); }
void BM_KeltnerFullRollingLedger(benchmark::State& s) { runLedgerSearch(s, 810000, rollingTrainWindows, [](ProductRegistry& r, const OptimiserControl& c) { return optimiseKeltner(r, name, c); }); }

BENCHMARK(BM_MacdFullBlocksLedger)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_MacdFullRollingLedger)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_StochasticsFullBlocksLedger)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_KeltnerFullBlocksLedger)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_KeltnerFullRollingLedger)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The reference on small grids of the same searches (trials counted per grid).
const MacdGrid smallMacd{{4, 5}, 20, {7, 16}};                      // 31 pairs x 10 = 310
const StochasticsGrid smallStochastics{{3, 4}, {3, 7}, {3, 12}};    // 2 x 5 x 10 = 100
const KeltnerGrid smallKeltner{{4, 5}, {4, 5}, {0.01, 0.01, 0.26}}; // 2 x 2 x 25 = 100
const SpanThresholdGrid smallLreg{{3, 4}, {0.0, 0.001, 0.05}};       // 2 x 50 = 100

void BM_MacdReference(benchmark::State& s) { runSearch(s, 310, false, [](ProductRegistry& r) { return reference::macd(r, name, smallMacd); }); }
void BM_StochasticsReference(benchmark::State& s) { runSearch(s, 100, false, [](ProductRegistry& r) { return reference::stochastics(r, name, smallStochastics); }); }
void BM_KeltnerReference(benchmark::State& s) { runSearch(s, 100, false, [](ProductRegistry& r) { return reference::keltner(r, name, smallKeltner); }); }
void BM_LregFilterReference(benchmark::State& s) { runSearch(s, 100, true, [](ProductRegistry& r) { return reference::spanThreshold(r, name, reference::SpanStudy::Lreg, true, smallLreg); }); }

BENCHMARK(BM_MacdReference)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_StochasticsReference)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_KeltnerReference)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_LregFilterReference)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
