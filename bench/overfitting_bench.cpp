// The probability of backtest overfitting over the largest grid's trial count
// (Keltner's 810,000 trials, 10 blocks, 252 splits), on one thread and on every core.
#include "robustness/overfitting_probability.h"
#include "studies/study_grids.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace varkel;

void BM_PboKeltnerSize(benchmark::State& state) {
    const std::int64_t trials = trialCount(KeltnerGrid{});
    const int blocks = 10;
    std::mt19937_64 random(1);
    std::normal_distribution<double> normal(0.0, 0.01);
    std::vector<double> sums(static_cast<std::size_t>(trials * blocks));
    for (double& sum : sums) sum = normal(random);
    WorkControl control;
    control.threads = static_cast<int>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(estimatePbo(sums.data(), trials, blocks, control));
    state.counters["trials x splits/s"] =
        benchmark::Counter(static_cast<double>(trials) * 252.0, benchmark::Counter::kIsIterationInvariantRate);
}

// Argument: threads (0: one per core).
BENCHMARK(BM_PboKeltnerSize)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
