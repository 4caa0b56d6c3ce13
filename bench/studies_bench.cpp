// Each study computation with the study dialogs' default spans on the USD/JPY
// sample. The strategy builder runs these once per trial, so each should stay
// well under a millisecond.
#include "data/price_file.h"
#include "fixed_workload.h"
#include "studies/oscillators.h"
#include "studies/statistical_studies.h"
#include "studies/trend_studies.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using varkel::ProductRegistry;

constexpr const char* product = "USD/JPY";

// Loaded once, outside every timed loop.
ProductRegistry& sample() {
    static ProductRegistry registry = [] {
        ProductRegistry loaded;
        loaded.addProduct(product);
        varkel::loadPriceFile(loaded, product, varkel::bench::workloadPath());
        return loaded;
    }();
    return registry;
}

template <typename Study>
void runStudy(benchmark::State& state, Study study) {
    ProductRegistry& registry = sample();
    for (auto _ : state) {
        study(registry);
        benchmark::ClobberMemory();
    }
}

void movingAverages(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) {
        varkel::calcMovingAverage(r, product, 20, 1);
        varkel::calcMovingAverage(r, product, 40, 2);
    });
}
void keltner(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) { varkel::calcKeltner(r, product, 10, 10, 1.5); });
}
void rsi(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) { varkel::calcRsi(r, product, 14); });
}
void rateOfChange(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) { varkel::calcRateOfChange(r, product, 3); });
}
void stochastics(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) { varkel::calcStochastics(r, product, 3, 3, 5); });
}
void macd(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) {
        varkel::calcMacdAverage(r, product, 9, 1);
        varkel::calcMacdAverage(r, product, 14, 2);
        varkel::calcMacdSignal(r, product, 9);
    });
}
void timeSeriesCorrelation(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) { varkel::calcTimeSeriesCorrelation(r, product, 14); });
}
void linearRegression(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) { varkel::calcLinearRegression(r, product, 9); });
}
void normalDistribution(benchmark::State& state) {
    runStudy(state, [](ProductRegistry& r) { varkel::calcNormalDistribution(r, product, 9); });
}

BENCHMARK(movingAverages)->Name("study/movingAverages_20_40")->Unit(benchmark::kMicrosecond);
BENCHMARK(keltner)->Name("study/keltner_10_10_1.5")->Unit(benchmark::kMicrosecond);
BENCHMARK(rsi)->Name("study/rsi_14")->Unit(benchmark::kMicrosecond);
BENCHMARK(rateOfChange)->Name("study/rateOfChange_3")->Unit(benchmark::kMicrosecond);
BENCHMARK(stochastics)->Name("study/stochastics_3_3_5")->Unit(benchmark::kMicrosecond);
BENCHMARK(macd)->Name("study/macd_9_14_9")->Unit(benchmark::kMicrosecond);
BENCHMARK(timeSeriesCorrelation)->Name("study/timeSeriesCorrelation_14")->Unit(benchmark::kMicrosecond);
BENCHMARK(linearRegression)->Name("study/linearRegression_9")->Unit(benchmark::kMicrosecond);
BENCHMARK(normalDistribution)->Name("study/normalDistribution_9")->Unit(benchmark::kMicrosecond);

}  // namespace
