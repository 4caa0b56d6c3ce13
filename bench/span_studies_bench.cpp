// The per-span study stage of the grid searches on the fixed workload: every
// span's moving average the MACD full grid reads (and the ATR spans of the
// Keltner grid), from window sums shared by the windows that start at the same
// bar, beside the same averages computed span by span as the studies compute
// one. Both give the same bits; the ratio of the two in one run is the stage's
// gain on the reported vector target.
#include "fixed_workload.h"

#include "studies/series_stats.h"
#include "studies/study_grids.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace varkel;

const std::vector<double>& closes() {
    static const std::vector<double> values = [] {
        const ProductRegistry registry = bench::workloadHistory("USD/JPY");
        const Product& product = *registry.findProduct("USD/JPY");
        std::vector<double> v;
        for (int i = 0; i < product.historyLength(); ++i) v.push_back(product.bars[i].close);
        return v;
    }();
    return values;
}

void sharedSums(benchmark::State& state, int firstSpan, int lastSpan) {
    const SeriesStats stats;
    for (auto _ : state) benchmark::DoNotOptimize(stats.movingAverages(closes(), firstSpan, lastSpan));
}

void spanBySpan(benchmark::State& state, int firstSpan, int lastSpan) {
    const SeriesStats stats;
    for (auto _ : state)
        for (int span = firstSpan; span <= lastSpan; ++span) benchmark::DoNotOptimize(stats.movingAverage(closes(), span));
}

const MacdGrid macd;
const KeltnerGrid keltner;

BENCHMARK_CAPTURE(sharedSums, macd_grid_averages, macd.fast.first, macd.slowLast)
    ->Name("stage/macd_grid_averages_shared_sums")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(spanBySpan, macd_grid_averages, macd.fast.first, macd.slowLast)
    ->Name("stage/macd_grid_averages_span_by_span")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(sharedSums, keltner_grid_atr_averages, keltner.atr.first, keltner.atr.last)
    ->Name("stage/keltner_grid_atr_averages_shared_sums")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(spanBySpan, keltner_grid_atr_averages, keltner.atr.first, keltner.atr.last)
    ->Name("stage/keltner_grid_atr_averages_span_by_span")->Unit(benchmark::kMicrosecond);

}  // namespace
